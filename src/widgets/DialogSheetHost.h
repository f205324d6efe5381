#pragma once

#include "services/SheetHost.h"

#include <QPointer>

#include <functional>

class QDialog;

// Shows sheets over a window as window-modal dialogs.
class DialogSheetHost final : public SheetHost {
public:
    explicit DialogSheetHost(QWidget* window);
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
    QPointer<QDialog> m_dialog;
    QPointer<QWidget> m_sheet;
};
