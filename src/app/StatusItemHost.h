#pragma once

#include "app/StatusItemHosting.h"

#include <QIcon>
#include <QPoint>
#include <QPointer>

class QMenu;
class QSystemTrayIcon;
class QWidget;
class X11TrayWatcher;

// The app's presence on the desktop: a tray icon where the desktop has a tray, else a small
// always-on-top capsule at the top centre of the primary screen. It follows the tray host: when
// one starts later (the usual race at login) the icon takes over from the capsule, and when it
// ends the capsule comes back.
class StatusItemHost final : public StatusItemHosting {
    Q_OBJECT
public:
    explicit StatusItemHost(QObject* parent = nullptr);
    ~StatusItemHost() override;

    QRect anchorRect() const override;
    bool reportsPointerLeaving() const override { return m_tray == nullptr; }
    void apply(const StatusItemPresentation& presentation) override;
    void setHovered(bool hovered) override;
    void showMenu(const StatusItemPresentation& presentation,
                  std::function<void(StatusItemMenuCommand)> onCommand) override;

    bool usesTray() const { return m_tray != nullptr; }
    QWidget* capsule() const;

    static QIcon capsuleIcon(bool hovered = false);
    // The capsule window's geometry changed (the window manager's doing).
    void capsuleGeometryChanged();

private:
    void useTray(bool available);
    void showCapsule();
    void fillTrayMenu();

    QSystemTrayIcon* m_tray = nullptr;
    QPointer<QWidget> m_capsule;
    QRect m_capsuleFrame;
    X11TrayWatcher* m_trayWatcher = nullptr;
    StatusItemPresentation m_presentation;
    QPointer<QMenu> m_menu;
    // The menu handed to a tray host that draws the icon's menu itself (the D-Bus protocol).
    QMenu* m_trayMenu = nullptr;
    // Where the tray icon was last clicked, for trays that do not report the icon's geometry.
    QPoint m_lastTrayClick;
};
