// Setup's application window: the one window of setup's that gets a task-bar
// button, so that the button reads the application's title while every window
// a user sees keeps its own caption. It is shown but has no size, so nothing
// of it is seen. It owns the backdrop, and through it every other window of
// setup's, which therefore get no button of their own; and it stands for them
// all: activating it activates the window last worked in, minimizing it hides
// them, closing it closes the window in front.
#pragma once

#include <vector>

#include "platform/win32/application_window.h"

namespace zn::setup::win32 {

class SetupApplicationWindow : public zn::win32::ApplicationWindow {
public:
    explicit SetupApplicationWindow(const std::string& title);
    // Shown before any other window, so that a message box shown before them
    // has it for its owner and gets no button of its own either.
    void show();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The visible windows this one owns, directly or through others, the
    // topmost first.
    std::vector<HWND> shownOwnedWindows() const;
    // The window of setup's that a user last worked in and still can, if any.
    HWND frontWindow() const;
    void minimize();
    void restoreOwnedWindows();

    // What a minimize hid, the topmost first; shown again on the restore.
    std::vector<HWND> hiddenByMinimize_;
};

}  // namespace zn::setup::win32
