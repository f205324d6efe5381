#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSocketNotifier;
struct xcb_connection_t;

// What the X server and /proc tell about the window the user works in.
struct X11WindowFacts {
    quint32 window = 0;
    std::optional<qint64> pid;
    QString instance;                    // WM_CLASS, first string
    QString windowClass;                 // WM_CLASS, second string
    QString title;                       // _NET_WM_NAME, else WM_NAME
    QString executableName;              // base name of /proc/<pid>/exe
    std::optional<QString> sandboxAppId; // the Flatpak application id, or the snap's desktop id
};

// Follows the active window on a private X connection, so that Qt's own connection and event
// masks stay untouched. Windows of this process never count as the user's window: while one of
// ours is active (the panel takes focus), the last other window stands.
class X11ActiveWindowMonitor : public QObject {
    Q_OBJECT
public:
    // None when there is no X display to talk to.
    static std::unique_ptr<X11ActiveWindowMonitor> connectToDisplay(const QByteArray& displayName);
    ~X11ActiveWindowMonitor() override;

    // The user's window now; none when no window is active. Read from the server only after the
    // active window or its name or class changed (the server tells us): an idle poll costs no
    // round trip.
    std::optional<X11WindowFacts> frontmostWindow();

    // Tests and the owner may treat another process as "ours".
    void setOwnProcessId(qint64 pid) { m_ownPid = pid; }

signals:
    // The active window now belongs to another application than before.
    void activeApplicationChanged();

private:
    X11ActiveWindowMonitor(xcb_connection_t* connection, quint32 root);
    void readEvents();
    // Takes the pending events from the socket or from xcb's queue alone; true when the active
    // window changed among them.
    bool takeEvents(bool fromSocket);
    void takeQueuedEvents();
    void checkApplication();
    std::optional<X11WindowFacts> readFrontmostWindow();
    std::optional<X11WindowFacts> readWindow(quint32 window);
    quint32 activeWindow();
    // Follows the property changes of the window read last, and of no other.
    void watchWindow(quint32 window);
    QString applicationKey(const X11WindowFacts& facts) const;

    xcb_connection_t* m_connection;
    quint32 m_root;
    quint32 m_atomActiveWindow = 0;
    quint32 m_atomPid = 0;
    quint32 m_atomNetWmName = 0;
    quint32 m_atomUtf8String = 0;
    quint32 m_atomUserTime = 0;
    quint32 m_watchedWindow = 0;
    quint32 m_activeWindowRead = 0;
    // What frontmostWindow() read last, while nothing that it depends on changed.
    std::optional<std::optional<X11WindowFacts>> m_cachedFacts;
    qint64 m_ownPid;
    quint32 m_lastForeignWindow = 0;
    QString m_lastApplicationKey;
    QSocketNotifier* m_notifier = nullptr;
    bool m_checkPending = false;
};
