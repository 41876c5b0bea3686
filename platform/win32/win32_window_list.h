// The desktop's top-level windows front to back, found by title, and the
// texts of a window's descendants, over the window manager's own lists.
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
};

}  // namespace zn::win32
