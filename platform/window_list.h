// The desktop's top-level windows, the texts of their descendants, and the
// test for a running program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zn {

using WindowHandle = std::uintptr_t;

struct TopLevelWindow {
    WindowHandle handle = 0;
    std::string title;  // empty when it has none or cannot be read
};

class WindowList {
public:
    virtual ~WindowList() = default;
    // Every top-level window, front to back.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    // The first top-level window, front to back, whose title is exactly this
    // text; 0 when there is none.
    virtual WindowHandle findWindow(const std::string& title) = 0;
    // Calls visit with the text of every descendant of the window (children of
    // children included) in the system's enumeration order, until it returns false.
    virtual void visitDescendants(WindowHandle window,
                                  const std::function<bool(const std::string& text)>& visit) = 0;
    // True when a top-level window's whole title is this text, letter case
    // ignored; hidden windows count. False when there is no display.
    virtual bool existsTitled(const std::string& title) = 0;
};

}  // namespace zn
