// A minimal window manager with two desktops that, like some real ones, ignores the desktop a
// window asks for before it is mapped: every window it maps goes on the current desktop, and
// only a _NET_WM_DESKTOP client message for a mapped window moves it (0xFFFFFFFF: every
// desktop). It also honours configure requests and activation requests, so applications run as
// usual. Prints "managing" once it owns the screen; exits 1 when another window manager does.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_connection_t* connection = nullptr;

xcb_atom_t atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void setCardinal(xcb_window_t window, xcb_atom_t property, uint32_t value) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_CARDINAL, 32, 1, &value);
}

} // namespace

int main() {
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X connection\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t root = screen->root;
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &rootMask))) {
        std::fprintf(stderr, "another window manager runs\n");
        std::free(error);
        return 1;
    }

    const xcb_atom_t wmDesktop = atom("_NET_WM_DESKTOP");
    const xcb_atom_t activeWindow = atom("_NET_ACTIVE_WINDOW");
    const xcb_window_t check = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, check, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t supportingCheck = atom("_NET_SUPPORTING_WM_CHECK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, check, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    const xcb_atom_t supported[] = {wmDesktop, activeWindow, atom("_NET_NUMBER_OF_DESKTOPS"),
                                    atom("_NET_CURRENT_DESKTOP")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 4,
                        supported);
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
