// Prints, one a line, the titles of the task-bar buttons that the process
// owning the window so titled gets: one for each of its top-level windows
// that is visible, has no WS_EX_TOOLWINDOW, and is unowned or WS_EX_APPWINDOW,
// which is how the shell decides. Exit status 1 when no window is so titled.
//
// Usage: setup_taskbar_buttons.exe WINDOW-TITLE
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD process;
    int buttons;
};

bool getsTaskbarButton(HWND window) {
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (!IsWindowVisible(window) || (exStyle & WS_EX_TOOLWINDOW)) return false;
    return (exStyle & WS_EX_APPWINDOW) || !GetWindow(window, GW_OWNER);
}

BOOL CALLBACK printButton(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !getsTaskbarButton(window)) return TRUE;
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    std::printf("%s\n", title);
    ++search.buttons;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW-TITLE\n", argv[0]);
        return 2;
    }
    const HWND known = FindWindowA(nullptr, argv[1]);
    if (!known) return 1;
    Search search{0, 0};
    GetWindowThreadProcessId(known, &search.process);
    EnumWindows(printButton, reinterpret_cast<LPARAM>(&search));
    return 0;
}
