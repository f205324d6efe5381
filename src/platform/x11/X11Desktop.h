#pragma once

#include <QObject>

class QSocketNotifier;
class QWindow;
struct xcb_connection_t;

// Small questions and requests to the X server about the desktop around our windows. Every
// function does nothing (or answers false) when the app does not run on X11, as under the
// offscreen platform in tests.
namespace X11Desktop {

// Marks a window that is not mapped yet as above the others, on every desktop and left out of
// taskbars and pagers, so the window manager maps it that way.
void prepareFloatingWindow(QWindow* window);
// Asks the window manager to show a mapped window on every desktop. Some window managers read
// the desktop only from this request, not from the property set before mapping.
void requestAllDesktops(QWindow* window);
// Lets a window take input over its whole area, whatever its size is now or becomes, in place of
// the fixed rectangle Qt gives a window that stops being transparent for input (the size the
// native window had at that moment, which later resizes leave as it was).
void resetInputShape(QWindow* window);
// Whether a system tray host runs on the default screen (the owner of _NET_SYSTEM_TRAY_S<n>).
bool trayAvailable();
// Whether the keyboard focus rests on no window: the window manager names no active window (or
// names `leaving`, a window that is going away), or without a window manager the input focus is
// on none.
bool focusIsNowhere(quint32 leaving);
// Gives the keyboard back to a window of another application that is still shown, the way a
// pager asks the window manager (a request from an application could be refused as focus
// stealing); without a window manager, sets the input focus itself. False when the window is
// gone or not viewable.
bool activateOtherWindow(quint32 window);

} // namespace X11Desktop

// Follows the system tray's selection owner on a private connection: a tray host that starts
// announces itself with a MANAGER message on the root window; one that ends destroys its window.
class X11TrayWatcher : public QObject {
    Q_OBJECT
public:
    explicit X11TrayWatcher(QObject* parent = nullptr);
    ~X11TrayWatcher() override;

    bool isConnected() const { return m_connection != nullptr; }
    bool trayAvailable() const { return m_owner != 0; }

signals:
    void trayAvailabilityChanged(bool available);

private:
    void readEvents();
    void updateOwner();

    xcb_connection_t* m_connection = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    quint32 m_root = 0;
    quint32 m_selection = 0;
    quint32 m_managerAtom = 0;
    quint32 m_owner = 0;
};

namespace X11Desktop {
// Whether an X server answers on $DISPLAY; asked before the application starts.
bool displayReachable();
} // namespace X11Desktop
