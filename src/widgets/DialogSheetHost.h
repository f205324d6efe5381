#pragma once

#include "services/SheetHost.h"

#include <QPointer>

#include <functional>

class QDialog;

// Shows sheets over a window as window-modal dialogs.
class DialogSheetHost final : public SheetHost {
public:
    // `interfaceSource`, when given, is the widget whose interface text size the dialogs take (a
    // dialog is a window of its own and inherits nothing from the widget that opened it).
    explicit DialogSheetHost(QWidget* window, const QWidget* interfaceSource = nullptr);
    ~DialogSheetHost() override;

    void present(QWidget* sheet) override;
    void dismiss(QWidget* sheet) override;
    bool isPresenting() const override { return m_sheet != nullptr; }

    QWidget* sheet() const { return m_sheet; }
    // Called after a sheet went away, whether it dismissed itself or its dialog was rejected.
    std::function<void()> onDismissed;

private:
    void placeDialog(QDialog* dialog, QWidget* sheet) const;

    QPointer<QWidget> m_window;
    QPointer<const QWidget> m_interfaceSource;
    QPointer<QDialog> m_dialog;
    QPointer<QWidget> m_sheet;
};
