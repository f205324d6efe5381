#include "platform/x11/X11Desktop.h"

#include <QGuiApplication>
#include <QHash>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t* qtConnection() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        return nullptr;
    }
    return connection;
}

int defaultScreenNumber() {
    // Qt's connection and ours both follow $DISPLAY; its screen number is the one after the dot.
    const QByteArray display = qgetenv("DISPLAY");
    const int dot = display.lastIndexOf('.');
    const int colon = display.lastIndexOf(':');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

xcb_screen_t* screenOf(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
        if (i == number) {
            return screens.data;
        }
    }
    return nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
    // An atom stays the same for as long as the server runs: on Qt's connection each name is
    // asked for once, so that showing a window waits for no answer from the server. (Used on the
    // UI thread only, like Qt's connection.)
    static xcb_connection_t* cachedFor = nullptr;
    static QHash<QByteArray, xcb_atom_t> cache;
    const bool cached = connection == qtConnection();
    if (cached && connection != cachedFor) {
        cache.clear();
        cachedFor = connection;
    }
    if (cached) {
        if (const auto found = cache.constFind(name); found != cache.constEnd()) {
            return *found;
        }
    }
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()),
                              nullptr),
        &std::free);
    if (!reply) {
        return XCB_ATOM_NONE;
    }
    if (cached) {
        cache.insert(name, reply->atom);
    }
    return reply->atom;
}

xcb_window_t selectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    if (selection == XCB_ATOM_NONE) {
        return XCB_WINDOW_NONE;
    }
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr), &std::free);
    return reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
}

// A property of one window id (type WINDOW), or 0.
quint32 windowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    if (property == XCB_ATOM_NONE) {
        return 0;
    }
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1),
                               nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return 0;
    }
    return *static_cast<const quint32*>(xcb_get_property_value(reply.get()));
}

bool selectionHasOwner(const QByteArray& prefix) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return false;
    }
    return selectionOwner(connection, internAtom(connection, prefix + QByteArray::number(defaultScreenNumber()))) !=
           XCB_WINDOW_NONE;
}

} // namespace

namespace X11Desktop {

void prepareFloatingWindow(QWindow* window) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || window == nullptr) {
        return;
    }
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t states[] = {
        internAtom(connection, "_NET_WM_STATE_ABOVE"),
        internAtom(connection, "_NET_WM_STATE_STICKY"),
        internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        internAtom(connection, "_NET_WM_STATE_SKIP_PAGER"),
    };
    // Qt merges its own states into what the unmapped window already has.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM,
                        32, 4, states);
    const quint32 allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, internAtom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_flush(connection);
}

void requestAllDesktops(QWindow* window) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || window == nullptr) {
        return;
    }
    xcb_screen_t* screen = screenOf(connection, defaultScreenNumber());
    if (screen == nullptr) {
        return;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = internAtom(connection, "_NET_WM_DESKTOP");
    event.data.data32[0] = 0xFFFFFFFF; // every desktop
    event.data.data32[1] = 1;          // from an application
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

void resetInputShape(QWindow* window) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || window == nullptr) {
        return;
    }
    // Qt has asked for the extension on its connection already: no answer is awaited here.
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (shape == nullptr || shape->present == 0) {
        return;
    }
    // A mask of None removes the input shape: the window takes input over all of itself again,
    // at whatever size it has now or gets later.
    xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, xcb_window_t(window->winId()), 0, 0, XCB_NONE);
    xcb_flush(connection);
}

bool trayAvailable() {
    return selectionHasOwner("_NET_SYSTEM_TRAY_S");
}

bool focusIsNowhere(quint32 leaving) {
    xcb_connection_t* connection = qtConnection();
    xcb_screen_t* screen = connection != nullptr ? screenOf(connection, defaultScreenNumber()) : nullptr;
    if (screen == nullptr) {
        return false;
    }
    if (windowProperty(connection, screen->root, internAtom(connection, "_NET_SUPPORTING_WM_CHECK")) != 0) {
        const quint32 active = windowProperty(connection, screen->root, internAtom(connection, "_NET_ACTIVE_WINDOW"));
        return active == 0 || active == leaving;
    }
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &std::free);
    return focus && (focus->focus == XCB_WINDOW_NONE || focus->focus == leaving);
}

bool activateOtherWindow(quint32 window) {
    xcb_connection_t* connection = qtConnection();
    xcb_screen_t* screen = connection != nullptr ? screenOf(connection, defaultScreenNumber()) : nullptr;
    if (screen == nullptr || window == 0) {
        return false;
    }
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr),
        &std::free);
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        return false;
    }
    if (windowProperty(connection, screen->root, internAtom(connection, "_NET_SUPPORTING_WM_CHECK")) == 0) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(connection);
        return true;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // from a pager
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    return true;
}

} // namespace X11Desktop

X11TrayWatcher::X11TrayWatcher(QObject* parent) : QObject(parent) {
    if (qtConnection() == nullptr) {
        return;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        if (connection != nullptr) {
            xcb_disconnect(connection);
        }
        return;
    }
    xcb_screen_t* screen = screenOf(connection, screenNumber);
    if (screen == nullptr) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screen->root;
    m_selection = internAtom(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    m_managerAtom = internAtom(connection, "MANAGER");
    const quint32 rootMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &rootMask);
    updateOwner();
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11TrayWatcher::readEvents);
}

X11TrayWatcher::~X11TrayWatcher() {
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

void X11TrayWatcher::updateOwner() {
    const quint32 previous = m_owner;
    m_owner = selectionOwner(m_connection, m_selection);
    if (m_owner != XCB_WINDOW_NONE) {
        // Its DestroyNotify tells us when the tray host ends.
        const quint32 mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_owner, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_flush(m_connection);
    if ((previous != 0) != (m_owner != 0)) {
        emit trayAvailabilityChanged(m_owner != 0);
    }
}

void X11TrayWatcher::readEvents() {
    bool ownerMayHaveChanged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const quint8 type = event->response_type & 0x7F;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == m_managerAtom && message->data.data32[1] == m_selection) {
                ownerMayHaveChanged = true;
            }
        } else if (type == XCB_DESTROY_NOTIFY) {
            const auto* destroyed = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
            if (destroyed->window == m_owner) {
                ownerMayHaveChanged = true;
            }
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection) != 0) {
        m_notifier->setEnabled(false);
        return;
    }
    if (ownerMayHaveChanged) {
        updateOwner();
    }
}

bool X11Desktop::displayReachable() {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        return false;
    }
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool reachable = connection != nullptr && xcb_connection_has_error(connection) == 0;
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
    return reachable;
}
