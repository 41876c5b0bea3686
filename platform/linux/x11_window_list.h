// The desktop's top-level windows and their descendants' names, over X11.
//
// Front to back is the window manager's stacking list (EWMH
// _NET_CLIENT_LIST_STACKING, which runs bottom to top) reversed; after those
// come the root's other children, top to bottom, so unmapped windows are
// listed too, as hidden ones are elsewhere. Without a window manager the
// root's children alone give the order. Names come from _NET_WM_NAME (UTF-8)
// or else WM_NAME.
//
// A running program is looked for among the root's children and, for windows
// a window manager has framed, the frames' children.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "platform/window_list.h"

namespace zn {

class X11WindowList : public WindowList {
public:
    // nullptr: $DISPLAY. Without a usable display every list is empty.
    explicit X11WindowList(const char* displayName = nullptr);
    ~X11WindowList() override;
    X11WindowList(const X11WindowList&) = delete;
    X11WindowList& operator=(const X11WindowList&) = delete;

    std::vector<TopLevelWindow> topLevelWindows() override;
    WindowHandle findWindow(const std::string& title) override;
    void visitDescendants(WindowHandle window,
                          const std::function<bool(const std::string& text)>& visit) override;
    bool existsTitled(const std::string& title) override;

    // The title of the frontmost shown top-level window whose _NET_WM_PID is
    // this process, else of its frontmost hidden one; empty when there is none.
    std::string frontTitleOf(pid_t process);

private:
    bool connected();
    std::vector<xcb_window_t> frontToBack();
    std::vector<xcb_window_t> childrenTopFirst(xcb_window_t window);
    std::vector<std::string> names(const std::vector<xcb_window_t>& windows);
    void discardEvents();

    std::string displayName_;
    bool useDefaultDisplay_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t stackingAtom_ = 0;
    xcb_atom_t netNameAtom_ = 0;
    xcb_atom_t utf8Atom_ = 0;
    xcb_atom_t pidAtom_ = 0;
};

}  // namespace zn
