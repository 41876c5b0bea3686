// The native windows' common ground: a window of our own class whose
// messages reach a member function, child controls in the message font, a
// modal loop that keeps the owner disabled, and window texts as byte strings
// in the ANSI code page, as every text of the program is on Windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zn::win32 {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND handle() const { return handle_; }

protected:
    Window() = default;
    // Registers className on first use. The window exists once this returns.
    void create(const char* className, const std::string& title, DWORD style, DWORD exStyle,
                RECT bounds, HWND owner);
    // Unhandled messages go to DefWindowProcA.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A child control in the dialog font; bounds are client pixels.
    HWND addControl(const char* controlClass, const std::string& text, DWORD style, RECT bounds,
                    int id, DWORD exStyle = 0);
    HWND control(int id) const { return GetDlgItem(handle_, id); }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    HWND handle_ = nullptr;
};

// The font dialogs use (the system's message font), made once per process.
HFONT dialogFont();

std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& text);

// Centres window on the screen's work area.
void centreOnScreen(HWND window);

// Runs messages until finished() holds, with owner (if any) disabled, so the
// window is modal. Tab, Enter and Esc work as in a dialog box. Returns false
// when WM_QUIT arrived first; the quit is posted again for the outer loop.
bool runModalLoop(HWND window, HWND owner, const std::function<bool()>& finished);

// The program's message loop; returns the exit code WM_QUIT carries.
int runMessageLoop();

// Dialog navigation for whichever of our windows is active.
bool translateDialogMessage(MSG& message);

}  // namespace zn::win32
