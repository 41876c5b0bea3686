#include "setup/win32/setup_application_window.h"

namespace zn::setup::win32 {
namespace {

// Posted to itself: the activation moves on once the one that brought it
// here is over.
constexpr UINT kPassActivation = WM_APP + 1;

// A caption and a system menu with Minimize and Close, which the task bar
// offers on the button's menu; a pop-up, so that it keeps no size at all.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;

RECT middleOfScreen() {
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    return RECT{x, y, x, y};
}

// Followed owner by owner: under Wine GetAncestor(GA_ROOTOWNER) stops at an
// owned window that is no pop-up, as the backdrop is.
bool ownedBy(HWND window, HWND owner) {
    for (HWND above = GetWindow(window, GW_OWNER); above; above = GetWindow(above, GW_OWNER))
        if (above == owner) return true;
    return false;
}

}  // namespace

SetupApplicationWindow::SetupApplicationWindow(const std::string& title)
    : ApplicationWindow(title, kStyle, 0, middleOfScreen()) {}

void SetupApplicationWindow::show() {
    ShowWindow(handle(), SW_SHOW);
}

std::vector<HWND> SetupApplicationWindow::shownOwnedWindows() const {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{handle(), {}};
    // A thread's windows come in their order on the screen, the topmost first.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(context);
            if (IsWindowVisible(window) && ownedBy(window, search.owner))
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SetupApplicationWindow::frontWindow() const {
    const HWND last = GetLastActivePopup(handle());
    if (last && last != handle() && IsWindowVisible(last) && IsWindowEnabled(last) &&
        ownedBy(last, handle()))
        return last;
    // The last active one went, or is held by a modal window over it: owned
    // windows stand above their owners, so the topmost that takes input is
    // the one in front.
    for (const HWND window : shownOwnedWindows())
        if (IsWindowEnabled(window)) return window;
    return nullptr;
}

void SetupApplicationWindow::minimize() {
    if (IsIconic(handle())) return;
    hiddenByMinimize_ = shownOwnedWindows();
    for (const HWND window : hiddenByMinimize_) ShowWindow(window, SW_HIDE);
    ShowWindow(handle(), SW_MINIMIZE);
}

void SetupApplicationWindow::restoreOwnedWindows() {
    if (IsIconic(handle())) ShowWindow(handle(), SW_RESTORE);
    // The lowest first, so that each comes back over the one it stood over.
    for (auto window = hiddenByMinimize_.rbegin(); window != hiddenByMinimize_.rend(); ++window)
        if (IsWindow(*window)) ShowWindow(*window, SW_SHOWNA);
    hiddenByMinimize_.clear();
}

LRESULT SetupApplicationWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            // A click on the button activates this window: the user meant the
            // window in front.
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(handle(), kPassActivation, 0, 0);
            break;
        case kPassActivation: {
            // Unless the user has gone on to another window meanwhile.
            const HWND active = GetActiveWindow();
            if (IsIconic(handle()) || (active && active != handle())) return 0;
            if (const HWND front = frontWindow()) {
                SetForegroundWindow(front);
                SetActiveWindow(front);
            }
            return 0;
        }
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_MINIMIZE:
                    minimize();
                    return 0;
                case SC_RESTORE:
                    restoreOwnedWindows();
                    PostMessageA(handle(), kPassActivation, 0, 0);
                    return 0;
                default:
                    break;
            }
            break;
        case WM_CLOSE:
            // Closing setup from the task bar closes the window in front, as
            // its own close would, so the rules decide what ends; this window
            // goes only with the program.
            restoreOwnedWindows();
            if (const HWND front = frontWindow()) PostMessageA(front, WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
    }
    return ApplicationWindow::handleMessage(message, wParam, lParam);
}

}  // namespace zn::setup::win32
