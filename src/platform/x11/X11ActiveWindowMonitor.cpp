#include "platform/x11/X11ActiveWindowMonitor.h"

#include "config/StateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>
#include <unistd.h>

namespace {

quint32 internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, quint16(qstrlen(name)), name), nullptr);
    const quint32 atom = reply ? reply->atom : quint32(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

struct PropertyReply {
    xcb_get_property_reply_t* reply = nullptr;
    ~PropertyReply() { std::free(reply); }
    const char* data() const { return reply ? static_cast<const char*>(xcb_get_property_value(reply)) : nullptr; }
    int length() const { return reply ? xcb_get_property_value_length(reply) : 0; }
    quint32 type() const { return reply ? reply->type : quint32(XCB_ATOM_NONE); }
};

// Window properties are capped: a title or class of more than 64 KiB is not one we show.
constexpr quint32 maximumPropertyWords = 16384;

QString textOf(const PropertyReply& property, quint32 utf8Atom) {
    const QByteArray bytes(property.data(), property.length());
    if (property.type() == utf8Atom) {
        return QString::fromUtf8(bytes);
    }
    // STRING is Latin-1 by the old conventions, but many programs put UTF-8 there.
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : utf8;
}

QString readLink(const QString& path) {
    return QFileInfo(path).symLinkTarget();
}

std::optional<QString> flatpakAppId(qint64 pid) {
    // The path lies in the window owner's own file system: never block on what it puts there.
    const Result<QByteArray> info =
        StateFiles::readRegularFile(QStringLiteral("/proc/%1/root/.flatpak-info").arg(pid), 64 * 1024);
    if (!info.ok()) {
        return std::nullopt;
    }
    bool inApplication = false;
    for (const QByteArray& rawLine : info->split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inApplication = line == "[Application]";
        } else if (inApplication && line.startsWith("name=")) {
            return QString::fromUtf8(line.mid(5).trimmed());
        }
    }
    return std::nullopt;
}

} // namespace

std::unique_ptr<X11ActiveWindowMonitor> X11ActiveWindowMonitor::connectToDisplay(const QByteArray& displayName) {
    if (displayName.isEmpty()) {
        return nullptr;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName.constData(), &screenNumber);
    if (connection == nullptr || xcb_connection_has_error(connection)) {
        if (connection) {
            xcb_disconnect(connection);
        }
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11ActiveWindowMonitor>(new X11ActiveWindowMonitor(connection, screens.data->root));
}

X11ActiveWindowMonitor::X11ActiveWindowMonitor(xcb_connection_t* connection, quint32 root)
    : m_connection(connection), m_root(root), m_ownPid(QCoreApplication::applicationPid()) {
    m_atomActiveWindow = internAtom(connection, "_NET_ACTIVE_WINDOW");
    m_atomPid = internAtom(connection, "_NET_WM_PID");
    m_atomNetWmName = internAtom(connection, "_NET_WM_NAME");
    m_atomUtf8String = internAtom(connection, "UTF8_STRING");
    m_atomUserTime = internAtom(connection, "_NET_WM_USER_TIME");

    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11ActiveWindowMonitor::readEvents);

    if (const auto facts = frontmostWindow()) {
        m_lastApplicationKey = applicationKey(*facts);
    }
}

X11ActiveWindowMonitor::~X11ActiveWindowMonitor() {
    delete m_notifier;
    xcb_disconnect(m_connection);
}

bool X11ActiveWindowMonitor::takeEvents(bool fromSocket) {
    bool activeWindowChanged = false;
    while (xcb_generic_event_t* event =
               fromSocket ? xcb_poll_for_event(m_connection) : xcb_poll_for_queued_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (notify->window == m_root && notify->atom == m_atomActiveWindow) {
                activeWindowChanged = true;
                m_cachedFacts.reset();
            } else if (notify->window == m_watchedWindow && notify->window != m_root &&
                       notify->atom != m_atomUserTime) {
                // A new title (the terminal's folder), class or process: read it again. The user
                // time changes at every key typed there and tells us nothing.
                m_cachedFacts.reset();
            }
        }
        std::free(event);
    }
    return activeWindowChanged;
}

void X11ActiveWindowMonitor::watchWindow(quint32 window) {
    if (window == m_watchedWindow) {
        return;
    }
    // Our own mask on that window: the owner's and other clients' masks stay as they are. A
    // window already gone answers with an error that nobody waits for.
    const quint32 none = XCB_EVENT_MASK_NO_EVENT;
    const quint32 propertyChanges = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (m_watchedWindow != 0 && m_watchedWindow != m_root) {
        xcb_change_window_attributes(m_connection, m_watchedWindow, XCB_CW_EVENT_MASK, &none);
    }
    m_watchedWindow = window;
    if (window != 0 && window != m_root) {
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &propertyChanges);
    }
    xcb_flush(m_connection);
}

void X11ActiveWindowMonitor::readEvents() {
    const bool activeWindowChanged = takeEvents(true);
    if (xcb_connection_has_error(m_connection)) {
        // The server went away; stop listening rather than spin on a dead socket.
        m_notifier->setEnabled(false);
        return;
    }
    if (activeWindowChanged) {
        checkApplication();
    }
}

void X11ActiveWindowMonitor::checkApplication() {
    m_checkPending = false;
    const auto facts = frontmostWindow();
    const QString key = facts ? applicationKey(*facts) : QString();
    if (key != m_lastApplicationKey) {
        m_lastApplicationKey = key;
        emit activeApplicationChanged();
    }
}

void X11ActiveWindowMonitor::takeQueuedEvents() {
    // Waiting for a reply reads everything the server sent before it, events included. Those
    // events sit in xcb's queue, not in the socket, so the socket notifier never fires for them.
    if (takeEvents(false) && !m_checkPending) {
        m_checkPending = true;
        QMetaObject::invokeMethod(this, &X11ActiveWindowMonitor::checkApplication, Qt::QueuedConnection);
    }
}

quint32 X11ActiveWindowMonitor::activeWindow() {
    PropertyReply property{xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, m_atomActiveWindow, XCB_ATOM_WINDOW, 0, 1), nullptr)};
    if (property.type() != XCB_ATOM_WINDOW || property.length() < int(sizeof(quint32))) {
        return 0;
    }
    return *reinterpret_cast<const quint32*>(property.data());
}

std::optional<X11WindowFacts> X11ActiveWindowMonitor::frontmostWindow() {
    if (xcb_connection_has_error(m_connection)) {
        return std::nullopt;
    }
    // What the server sent and the event loop has not handled yet (no wait: the socket is read
    // only when it has something).
    if (takeEvents(true) && !m_checkPending) {
        m_checkPending = true;
        QMetaObject::invokeMethod(this, &X11ActiveWindowMonitor::checkApplication, Qt::QueuedConnection);
    }
    if (m_cachedFacts) {
        return *m_cachedFacts;
    }
    auto facts = readFrontmostWindow();
    watchWindow(facts ? facts->window : 0);
    // Only a read of the active window itself is kept: while one of ours is active, the window
    // the user came from may go away unseen.
    if (!facts || facts->window == m_activeWindowRead) {
        m_cachedFacts = facts;
    }
    takeQueuedEvents();
    return facts;
}

std::optional<X11WindowFacts> X11ActiveWindowMonitor::readFrontmostWindow() {
    const quint32 active = activeWindow();
    m_activeWindowRead = active;
    if (active != 0) {
        auto facts = readWindow(active);
        if (facts && !(facts->pid && *facts->pid == m_ownPid)) {
            m_lastForeignWindow = active;
            return facts;
        }
    }
    // Our own window (or none) is active: the user's window is the one they came from.
    if (m_lastForeignWindow != 0 && m_lastForeignWindow != active) {
        if (auto facts = readWindow(m_lastForeignWindow)) {
            return facts;
        }
        m_lastForeignWindow = 0;
    }
    return std::nullopt;
}

std::optional<X11WindowFacts> X11ActiveWindowMonitor::readWindow(quint32 window) {
    // Send every request first, then collect the replies: one round trip for all of them.
    const auto pidCookie = xcb_get_property(m_connection, 0, window, m_atomPid, XCB_ATOM_CARDINAL, 0, 1);
    const auto classCookie = xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                              maximumPropertyWords);
    const auto netNameCookie =
        xcb_get_property(m_connection, 0, window, m_atomNetWmName, m_atomUtf8String, 0, maximumPropertyWords);
    const auto nameCookie =
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, maximumPropertyWords);

    xcb_generic_error_t* error = nullptr;
    PropertyReply pid{xcb_get_property_reply(m_connection, pidCookie, &error)};
    if (error != nullptr) {
        // BadWindow: the window is gone.
        std::free(error);
        xcb_discard_reply(m_connection, classCookie.sequence);
        xcb_discard_reply(m_connection, netNameCookie.sequence);
        xcb_discard_reply(m_connection, nameCookie.sequence);
        return std::nullopt;
    }
    PropertyReply windowClass{xcb_get_property_reply(m_connection, classCookie, nullptr)};
    PropertyReply netName{xcb_get_property_reply(m_connection, netNameCookie, nullptr)};
    PropertyReply name{xcb_get_property_reply(m_connection, nameCookie, nullptr)};

    X11WindowFacts facts;
    facts.window = window;
    if (pid.type() == XCB_ATOM_CARDINAL && pid.length() >= int(sizeof(quint32))) {
        facts.pid = qint64(*reinterpret_cast<const quint32*>(pid.data()));
    }
    if (windowClass.length() > 0) {
        const QList<QByteArray> parts = QByteArray(windowClass.data(), windowClass.length()).split('\0');
        facts.instance = QString::fromLatin1(parts.value(0));
        facts.windowClass = QString::fromLatin1(parts.value(1));
    }
    facts.title = netName.length() > 0 ? textOf(netName, m_atomUtf8String) : textOf(name, m_atomUtf8String);

    if (facts.pid && *facts.pid > 0) {
        const QString executable = readLink(QStringLiteral("/proc/%1/exe").arg(*facts.pid));
        facts.executableName = QFileInfo(executable).fileName();
        if (executable.startsWith(QLatin1String("/app/"))) {
            facts.sandboxAppId = flatpakAppId(*facts.pid);
        } else if (executable.startsWith(QLatin1String("/snap/"))) {
            // /snap/<name>/<revision>/...: snapd exports the entry as <name>_<name>.desktop.
            const QString snapName = executable.section(QLatin1Char('/'), 2, 2);
            if (!snapName.isEmpty()) {
                facts.sandboxAppId = snapName + QLatin1Char('_') + snapName;
            }
        }
    }
    return facts;
}

QString X11ActiveWindowMonitor::applicationKey(const X11WindowFacts& facts) const {
    if (facts.pid) {
        return QStringLiteral("pid:%1").arg(*facts.pid);
    }
    return QStringLiteral("class:%1/%2").arg(facts.instance, facts.windowClass);
}
