#include "platform/linux/x11_application_window.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

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

std::string textProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                         xcb_atom_t type) {
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
        &std::free);
    if (!reply || reply->type == XCB_ATOM_NONE) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::vector<xcb_window_t> childrenOf(xcb_connection_t* connection, xcb_window_t window) {
    ReplyPtr<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
    if (!reply) return {};
    const xcb_window_t* children = xcb_query_tree_children(reply.get());
    return std::vector<xcb_window_t>(children,
                                     children + xcb_query_tree_children_length(reply.get()));
}

struct Connection {
    Connection() : handle(xcb_connect(nullptr, &screenNumber)) {}
    ~Connection() { xcb_disconnect(handle); }
    bool ok() const { return xcb_connection_has_error(handle) == 0; }
    xcb_screen_t* screen() const {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(handle));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        return it.rem ? it.data : nullptr;
    }
    int screenNumber = 0;
    xcb_connection_t* handle;
};

}  // namespace

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

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
    // Closing the connection destroys the window with it.
    xcb_disconnect(connection_);
}

bool X11TopLevelWindows::existsTitled(const std::string& title) const {
    Connection connection;
    if (!connection.ok()) return false;
    xcb_screen_t* screen = connection.screen();
    if (!screen) return false;
    const xcb_atom_t netWmName = internAtom(connection.handle, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(connection.handle, "UTF8_STRING");
    const auto titled = [&](xcb_window_t window) {
        std::string name;
        if (netWmName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
            name = textProperty(connection.handle, window, netWmName, utf8);
        if (name.empty())
            name = textProperty(connection.handle, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
        return equalIgnoringAsciiCase(name, title);
    };
    for (const xcb_window_t top : childrenOf(connection.handle, screen->root)) {
        if (titled(top)) return true;
        // A window manager's frame holds the program's window one level down.
        for (const xcb_window_t inner : childrenOf(connection.handle, top))
            if (titled(inner)) return true;
    }
    return false;
}

}  // namespace zn
