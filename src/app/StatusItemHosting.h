#pragma once

#include "app/StatusItemPresentation.h"

#include <QObject>
#include <QRect>

#include <functional>

// The app's presence on the desktop as the status controller sees it: a tray icon or the capsule
// window. The controller applies presentations, asks where the item is and pops up its menu; the
// item reports clicks and, where it can, the pointer entering and leaving it.
class StatusItemHosting : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The item's frame on the desktop; empty when the desktop does not say.
    virtual QRect anchorRect() const = 0;
    // Whether the item reports the pointer leaving it. A tray icon does not: the pointer's
    // position against anchorRect() is all there is to go by.
    virtual bool reportsPointerLeaving() const { return true; }
    virtual void apply(const StatusItemPresentation& presentation) = 0;
    virtual void setHovered(bool hovered) = 0;
    // Pops the menu up under the item; each row's command is handed to `onCommand`.
    virtual void showMenu(const StatusItemPresentation& presentation,
                          std::function<void(StatusItemMenuCommand)> onCommand) = 0;

signals:
    // A left (or middle) click toggles the panel; a right click asks for the menu.
    void clicked(Qt::MouseButton button);
    // A row of a menu the tray host shows itself (not one from showMenu) was chosen.
    void menuCommandChosen(StatusItemMenuCommand command);
    void pointerEntered();
    void pointerExited();
};
