// Holds one passive key grab on the root window until it is ended, like another application
// that owns a global shortcut. Usage: grab_key KEYSYM MASK (both numbers; 0x prefixes allowed).
// Prints "grabbed" once the server accepted the grab; exits 1 when it did not.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s KEYSYM MASK\n", argv[0]);
        return 2;
    }
    const auto keysym = xcb_keysym_t(std::strtoul(argv[1], nullptr, 0));
    const auto mask = uint16_t(std::strtoul(argv[2], nullptr, 0));

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X connection\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (keycodes == nullptr || keycodes[0] == XCB_NO_SYMBOL) {
        std::fprintf(stderr, "no key for keysym 0x%x\n", unsigned(keysym));
        return 1;
    }
    for (const xcb_keycode_t* keycode = keycodes; *keycode != XCB_NO_SYMBOL; ++keycode) {
        xcb_generic_error_t* error =
            xcb_request_check(connection, xcb_grab_key_checked(connection, 0, root, mask, *keycode, XCB_GRAB_MODE_ASYNC,
                                                               XCB_GRAB_MODE_ASYNC));
        if (error != nullptr) {
            std::fprintf(stderr, "grab failed: error %d\n", int(error->error_code));
            return 1;
        }
    }
    std::free(keycodes);
    xcb_key_symbols_free(symbols);
    std::printf("grabbed\n");
    std::fflush(stdout);
    // The grab lasts as long as the connection: wait for the signal that ends the process.
    std::signal(SIGTERM, [](int) { std::_Exit(0); });
    for (;;) {
        pause();
    }
}
