#pragma once

#include <QRect>
#include <QtGlobal>

#include <functional>

// The island panel's window as the status controller drives it.
class IslandPanelHosting {
public:
    virtual ~IslandPanelHosting() = default;

    virtual bool isVisible() const = 0;
    virtual QRect frame() const = 0;
    virtual void setFrame(const QRect& frame) = 0;
    // Maps the window above everything and gives it the keyboard focus.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // While closing, clicks pass through the window to whatever lies below.
    virtual void setIgnoresInput(bool ignores) = 0;
    // A menu or popover of the panel is open: the pointer over it counts as over the panel.
    virtual bool hasOpenPopup() const = 0;
    // Builds the panel's content afresh (after a change of the interface language).
    virtual void rebuildContent() = 0;
    // The height the content's header lines and banners take at that width of the panel, beyond
    // what the panel's height rule allows for; 0 for content without them. Content not built yet
    // is built for it.
    virtual int headerLinesHeight(int width) {
        Q_UNUSED(width);
        return 0;
    }

    std::function<void()> onPointerEntered;
    std::function<void()> onPointerExited;
    // The value of headerLinesHeight may have changed.
    std::function<void()> onHeaderLinesHeightChanged;
};
