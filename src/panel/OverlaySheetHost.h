#pragma once

#include "services/SheetHost.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class DialogSheetHost;

// Shows sheets inside a host widget (the panel's content): a dimmed backdrop over the whole host
// with the sheet centred on it at its size hint, limited to the host's size less a margin.
// A sheet larger than the host fits (the import sheet in the 520-wide panel) opens as a
// window-modal dialog over the host's window instead.
class OverlaySheetHost final : public SheetHost {
public:
    explicit OverlaySheetHost(QWidget* host);
    ~OverlaySheetHost() override;

    void present(QWidget* sheet) override;
    void dismiss(QWidget* sheet) override;
    bool isPresenting() const override { return m_sheet != nullptr; }

    QWidget* sheet() const { return m_sheet; }
    // Called whenever a sheet is shown or dismissed (the panel takes its interaction lock).
    std::function<void(bool presenting)> onPresentingChanged;

private:
    QPointer<QWidget> m_host;
    QPointer<QWidget> m_backdrop;
    QPointer<QWidget> m_sheet;
    std::unique_ptr<DialogSheetHost> m_dialogHost;
};
