// TWindowsList: the desktop's top-level windows, front to back, each listed
// with its title and its handle.
#pragma once

#include <string>
#include <vector>

#include "platform/window_list.h"

namespace zn {

struct TWindowInfo {
    WindowHandle handle = 0;
};

struct WindowsListLine {
    std::string title;
    TWindowInfo info;
};

class TWindowsList {
public:
    explicit TWindowsList(WindowList& windows) : windows_(windows) {}

    // Lists the windows afresh, in the order the desktop stacks them.
    void Refresh();

    std::vector<WindowsListLine> TheWindowsList;
    // When false, windows without a title are left out.
    bool AcceptEmptyNames = true;

private:
    WindowList& windows_;
};

}  // namespace zn
