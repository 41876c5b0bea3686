// The desktop's top-level windows front to back, found by title, and the
// texts of a window's descendants, over the window manager's own lists.
// A running program is found by FindWindowA with its title alone, which
// compares without regard to letter case and sees hidden windows too, such as
// the program's application window.
#pragma once

#include "platform/window_list.h"

namespace zn::win32 {

class Win32WindowList : public WindowList {
public:
    std::vector<TopLevelWindow> topLevelWindows() override;
    WindowHandle findWindow(const std::string& title) override;
    // A window that does not answer WM_GETTEXT within a second gives an empty
    // text, so a hung program cannot hang ours.
    void visitDescendants(WindowHandle window,
                          const std::function<bool(const std::string& text)>& visit) override;
    bool existsTitled(const std::string& title) override;
};

}  // namespace zn::win32
