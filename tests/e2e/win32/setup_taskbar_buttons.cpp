// Stands in for the task bar against the process that owns the window titled
// TITLE, and tells what the tests cannot see from outside Wine.
//
//   buttons TITLE   the titles of the process's task-bar buttons, one a line:
//                   one for each top-level window that is visible, has no
//                   WS_EX_TOOLWINDOW, and is unowned or WS_EX_APPWINDOW, which
//                   is how the shell decides
//   shown TITLE     the titles of the process's visible top-level windows
//   owner TITLE     the title of the window's owner; nothing when unowned
//   front           the title of the foreground window
//   click TITLE     what a click on the window's button does: brings it to
//                   the foreground
//   minimize|restore|close TITLE
//                   what the button's menu sends the window
//   hold TITLE      keeps a hidden window so titled until killed, as a
//                   running program's would be
//
// Exit status 1 when no window is titled TITLE, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string titleOf(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

bool getsTaskbarButton(HWND window) {
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (!IsWindowVisible(window) || (exStyle & WS_EX_TOOLWINDOW)) return false;
    return (exStyle & WS_EX_APPWINDOW) || !GetWindow(window, GW_OWNER);
}

struct Listing {
    DWORD process;
    bool buttonsOnly;
};

BOOL CALLBACK printWindow(HWND window, LPARAM context) {
    const auto& listing = *reinterpret_cast<const Listing*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != listing.process || !IsWindowVisible(window)) return TRUE;
    if (listing.buttonsOnly && !getsTaskbarButton(window)) return TRUE;
    std::printf("%s\n", titleOf(window).c_str());
    return TRUE;
}

void list(HWND known, bool buttonsOnly) {
    Listing listing{0, buttonsOnly};
    GetWindowThreadProcessId(known, &listing.process);
    EnumWindows(printWindow, reinterpret_cast<LPARAM>(&listing));
}

void sendCommand(HWND window, WPARAM command) {
    PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "front" && argc == 2) {
        std::printf("%s\n", titleOf(GetForegroundWindow()).c_str());
        return 0;
    }
    if (command == "hold" && argc == 3) {
        CreateWindowExA(0, "STATIC", argv[2], WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                        nullptr);
        MSG message{};
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: %s buttons|shown|owner|click|minimize|restore|close|hold TITLE\n",
                     argv[0]);
        return 2;
    }
    const HWND known = FindWindowA(nullptr, argv[2]);
    if (!known) return 1;
    if (command == "buttons" || command == "shown") {
        list(known, command == "buttons");
    } else if (command == "owner") {
        if (const HWND owner = GetWindow(known, GW_OWNER))
            std::printf("%s\n", titleOf(owner).c_str());
    } else if (command == "click") {
        SetForegroundWindow(known);
    } else if (command == "minimize") {
        sendCommand(known, SC_MINIMIZE);
    } else if (command == "restore") {
        sendCommand(known, SC_RESTORE);
    } else if (command == "close") {
        sendCommand(known, SC_CLOSE);
    } else {
        std::fprintf(stderr, "unknown command %s\n", command.c_str());
        return 2;
    }
    return 0;
}
