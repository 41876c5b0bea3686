// The program's application window on X11: an unmapped top-level window that
// carries the program's title for the whole run, as a Windows program's
// application window does, so that the setup program can tell the program is
// running even while every visible window of it is hidden. And the search for
// such a window.
#pragma once

#include <memory>
#include <string>

#include "platform/top_level_windows.h"

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

// Looks at the root window's children and, for windows a window manager has
// framed, at the frames' children. ASCII letters match in either case.
class X11TopLevelWindows : public TopLevelWindows {
public:
    bool existsTitled(const std::string& title) const override;
};

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace zn
