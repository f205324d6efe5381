// A minimal window manager that never picks a window to focus by itself: it focuses a window
// only when an activation request (_NET_ACTIVE_WINDOW) names it, and when the active window goes
// away the keyboard goes to no window at all, as some window managers leave it once the window
// they knew to focus has closed. It keeps _NET_ACTIVE_WINDOW up to date and honours configure
// requests, so applications otherwise run as usual. Prints "managing" once it owns the screen;
// exits 1 when another window manager does.

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
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
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
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X connection\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    root = screen->root;
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &rootMask))) {
        std::fprintf(stderr, "another window manager runs\n");
        std::free(error);
        return 1;
    }

    activeWindowAtom = atom("_NET_ACTIVE_WINDOW");
    const xcb_window_t check = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, check, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t supportingCheck = atom("_NET_SUPPORTING_WM_CHECK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, check, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 1,
                        &activeWindowAtom);
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
        case XCB_CONFIGURE_REQUEST: {
            const auto* request = reinterpret_cast<xcb_configure_request_event_t*>(event);
            uint32_t values[7];
            int count = 0;
            uint16_t mask = 0;
            const std::pair<uint16_t, uint32_t> fields[] = {
                {XCB_CONFIG_WINDOW_X, uint32_t(request->x)},
                {XCB_CONFIG_WINDOW_Y, uint32_t(request->y)},
                {XCB_CONFIG_WINDOW_WIDTH, request->width},
                {XCB_CONFIG_WINDOW_HEIGHT, request->height},
                {XCB_CONFIG_WINDOW_BORDER_WIDTH, request->border_width},
                {XCB_CONFIG_WINDOW_SIBLING, request->sibling},
                {XCB_CONFIG_WINDOW_STACK_MODE, request->stack_mode},
            };
            for (const auto& [bit, value] : fields) {
                if ((request->value_mask & bit) != 0) {
                    mask |= bit;
                    values[count++] = value;
                }
            }
            xcb_configure_window(connection, request->window, mask, values);
            break;
        }
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
