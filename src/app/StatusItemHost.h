#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The app's presence on the desktop: a tray icon where the desktop has a tray, else a small
// always-on-top capsule at the top centre of the primary screen. Both open the same menu.
class StatusItemHost : public QObject {
    Q_OBJECT
public:
    StatusItemHost(QMenu* menu, QObject* parent = nullptr);
    ~StatusItemHost() override;

    bool usesTray() const { return m_tray != nullptr; }
    QWidget* capsule() const;

    static QIcon capsuleIcon(bool hovered = false);

private:
    void showCapsule();

    QMenu* m_menu;
    QSystemTrayIcon* m_tray = nullptr;
    QPointer<QWidget> m_capsule;
};
