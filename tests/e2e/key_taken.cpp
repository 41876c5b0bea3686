// Tells whether another client holds a global hotkey: X refuses a second grab
// of the same key and modifiers on the root window. Exits 0 when the key is
// taken, 1 when it is free (the probe's own grab is let go at once), 2 on a
// usage or connection error. The end-to-end tests wait on it instead of
// guessing how long a program takes to register its hotkeys.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s KEYCODE MODIFIER-MASK\n", argv[0]);
        return 2;
    }
    const auto keycode = static_cast<xcb_keycode_t>(std::strtoul(argv[1], nullptr, 0));
    const auto modifiers = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 0));
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;

    const auto cookie = xcb_grab_key_checked(connection.get(), 1, root, modifiers, keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
        xcb_request_check(connection.get(), cookie), &std::free);
    if (error) return error->error_code == XCB_ACCESS ? 0 : 2;
    xcb_ungrab_key(connection.get(), keycode, root, modifiers);
    xcb_flush(connection.get());
    return 1;
}
