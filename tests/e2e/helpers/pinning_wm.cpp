// A minimal window manager with two desktops that, like some real ones, ignores the desktop a
// window asks for before it is mapped: every window it maps goes on the current desktop, and
// only a _NET_WM_DESKTOP client message for a mapped window moves it (0xFFFFFFFF: every
// desktop). It also honours configure requests and activation requests, so applications run as
// usual. Prints "managing" once it owns the screen; exits 1 when another window manager does.

#include "TestWindowManager.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_connection_t* connection = nullptr;

xcb_atom_t atom(const char* name) {
    return TestWindowManager::atom(connection, name);
}

void setCardinal(xcb_window_t window, xcb_atom_t property, uint32_t value) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_CARDINAL, 32, 1, &value);
}

} // namespace

int main() {
    connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = TestWindowManager::takeScreen(connection);
    if (root == XCB_NONE) {
        return 1;
    }

    const xcb_atom_t wmDesktop = atom("_NET_WM_DESKTOP");
    const xcb_atom_t activeWindow = atom("_NET_ACTIVE_WINDOW");
    const xcb_atom_t supported[] = {wmDesktop, activeWindow, atom("_NET_NUMBER_OF_DESKTOPS"),
                                    atom("_NET_CURRENT_DESKTOP")};
    TestWindowManager::announce(connection, root, supported, 4);
    setCardinal(root, atom("_NET_NUMBER_OF_DESKTOPS"), 2);
    setCardinal(root, atom("_NET_CURRENT_DESKTOP"), 0);
    xcb_flush(connection);
    std::printf("managing\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST: {
            const auto* request = reinterpret_cast<xcb_map_request_event_t*>(event);
            // The current desktop, whatever the window asked for.
            setCardinal(request->window, wmDesktop, 0);
            xcb_map_window(connection, request->window);
            break;
        }
        case XCB_CONFIGURE_REQUEST:
            TestWindowManager::passConfigureRequest(connection,
                                                    reinterpret_cast<xcb_configure_request_event_t*>(event));
            break;
        case XCB_CLIENT_MESSAGE: {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == wmDesktop) {
                setCardinal(message->window, wmDesktop, message->data.data32[0]);
            } else if (message->type == activeWindow) {
                xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, message->window, XCB_CURRENT_TIME);
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
