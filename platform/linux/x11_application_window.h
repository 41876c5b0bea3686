// The program's application window on X11: an unmapped top-level window that
// carries the program's title for the whole run, as a Windows program's
// application window does, so that the setup program can tell the program is
// running even while every visible window of it is hidden.
#pragma once

#include <string>

struct xcb_connection_t;

namespace zn {

class X11ApplicationWindow {
public:
    // Without a display there is no window, and nothing else changes.
    explicit X11ApplicationWindow(const std::string& title);
    ~X11ApplicationWindow();
    X11ApplicationWindow(const X11ApplicationWindow&) = delete;
    X11ApplicationWindow& operator=(const X11ApplicationWindow&) = delete;

    bool exists() const { return window_ != 0; }

private:
    xcb_connection_t* connection_ = nullptr;
    unsigned window_ = 0;
};

}  // namespace zn
