// What the small window managers of the end-to-end tests share: taking over the screen, telling
// clients which hints they follow, and passing configure requests through unchanged.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace TestWindowManager {

inline xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Redirects the root window's structure requests to us. Returns the root window, or XCB_NONE
// (with a message on stderr) when there is no display or another window manager holds it.
inline xcb_window_t takeScreen(xcb_connection_t* connection) {
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X connection\n");
        return XCB_NONE;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &rootMask))) {
        std::fprintf(stderr, "another window manager runs\n");
        std::free(error);
        return XCB_NONE;
    }
    return root;
}

// Publishes the supporting-window check and the list of hints this window manager follows.
inline void announce(xcb_connection_t* connection, xcb_window_t root, const xcb_atom_t* supported, uint32_t count) {
    const xcb_window_t check = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, check, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t supportingCheck = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, check, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, supportingCheck, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 32,
                        count, supported);
}

// Grants a configure request as asked.
inline void passConfigureRequest(xcb_connection_t* connection, const xcb_configure_request_event_t* request) {
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
}

} // namespace TestWindowManager
