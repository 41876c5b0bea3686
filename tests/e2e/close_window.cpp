// Asks a window to close as a window manager's close button does: a
// WM_DELETE_WINDOW client message. The end-to-end tests run without a window
// manager, so nothing else can send it.
//
// It ends only once the server has handled the message. A client that sends
// and hangs up at once can lose it: a server that reads the connection late
// sees the hang-up first and closes the client without reading what it sent,
// which a busy machine makes common.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) return 1;

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection.get(), "WM_PROTOCOLS");
    event.data.data32[0] = internAtom(connection.get(), "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Checked: the answer (an error or none) comes after the server has sent
    // the message on, and a window that is gone is reported.
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
        xcb_request_check(connection.get(),
                          xcb_send_event_checked(connection.get(), 0, window,
                                                 XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&event))),
        &std::free);
    if (error || xcb_connection_has_error(connection.get())) {
        std::fprintf(stderr, "%s: the close request for window 0x%x failed\n", argv[0], window);
        return 1;
    }
    return 0;
}
