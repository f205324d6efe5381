// A minimal window manager that never picks a window to focus by itself: it focuses a window
// only when an activation request (_NET_ACTIVE_WINDOW) names it, and when the active window goes
// away the keyboard goes to no window at all, as some window managers leave it once the window
// they knew to focus has closed. It keeps _NET_ACTIVE_WINDOW up to date and honours configure
// requests, so applications otherwise run as usual. Prints "managing" once it owns the screen;
// exits 1 when another window manager does.

#include "TestWindowManager.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace {

xcb_connection_t* connection = nullptr;
xcb_window_t root = XCB_NONE;
xcb_atom_t activeWindowAtom = XCB_ATOM_NONE;
xcb_window_t active = XCB_NONE;

xcb_atom_t atom(const char* name) {
    return TestWindowManager::atom(connection, name);
}

void setActive(xcb_window_t window) {
    active = window;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, activeWindowAtom, XCB_ATOM_WINDOW, 32, 1, &window);
}

bool isViewable(xcb_window_t window) {
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr),
        &std::free);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

int main() {
    connection = xcb_connect(nullptr, nullptr);
    root = TestWindowManager::takeScreen(connection);
    if (root == XCB_NONE) {
        return 1;
    }

    activeWindowAtom = atom("_NET_ACTIVE_WINDOW");
    TestWindowManager::announce(connection, root, &activeWindowAtom, 1);
    setActive(XCB_NONE);
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_NONE, XCB_NONE, XCB_CURRENT_TIME);
    xcb_flush(connection);
    std::printf("managing\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST:
            // Mapped where it asked to be, and not focused.
            xcb_map_window(connection, reinterpret_cast<xcb_map_request_event_t*>(event)->window);
            break;
        case XCB_CONFIGURE_REQUEST:
            TestWindowManager::passConfigureRequest(connection,
                                                    reinterpret_cast<xcb_configure_request_event_t*>(event));
            break;
        case XCB_CLIENT_MESSAGE: {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == activeWindowAtom && isViewable(message->window)) {
                const uint32_t above = XCB_STACK_MODE_ABOVE;
                xcb_configure_window(connection, message->window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
                // When it goes, the keyboard goes nowhere.
                xcb_set_input_focus(connection, XCB_INPUT_FOCUS_NONE, message->window, XCB_CURRENT_TIME);
                setActive(message->window);
            }
            break;
        }
        case XCB_UNMAP_NOTIFY:
        case XCB_DESTROY_NOTIFY: {
            const xcb_window_t window = (event->response_type & 0x7f) == XCB_UNMAP_NOTIFY
                                            ? reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window
                                            : reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window;
            if (window == active) {
                setActive(XCB_NONE);
            }
            break;
        }
        default:
            break;
        }
        std::free(event);
        xcb_flush(connection);
    }
    return 0;
}
