#include "platform/linux/x11_application_window.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace zn {
namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::char_traits<char>::length(name), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

X11ApplicationWindow::X11ApplicationWindow(const std::string& title) {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return;
    const xcb_window_t window = xcb_generate_id(connection_);
    // Input-only: it is never drawn and never mapped.
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, title.size(), title.data());
    const xcb_atom_t netWmName = internAtom(connection_, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(connection_, "UTF8_STRING");
    if (netWmName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, netWmName, utf8, 8,
                            title.size(), title.data());
    xcb_flush(connection_);
    window_ = window;
}

X11ApplicationWindow::~X11ApplicationWindow() {
    // Closing the connection would destroy the window too, but only once the
    // server gets round to it: destroy it and wait for the server's answer, so
    // that no one finds the window after it is gone.
    if (window_ != 0) {
        xcb_destroy_window(connection_, window_);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    xcb_disconnect(connection_);
}

}  // namespace zn
