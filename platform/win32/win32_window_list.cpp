#include "platform/win32/win32_window_list.h"

#include <windows.h>

#include <array>
#include <exception>

namespace zn::win32 {
namespace {

// At most 254 characters of a title are read.
constexpr int kTitleBufferSize = 255;
// At most 2047 characters of a descendant's text are read.
constexpr int kTextBufferSize = 2048;
constexpr UINT kTextTimeoutMilliseconds = 1000;

HWND toWindow(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
WindowHandle fromWindow(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

struct Visit {
    const std::function<bool(const std::string&)>& visit;
    // The enumeration calls us from the system's own frames, which an
    // exception must not cross; it is raised again once they are left.
    std::exception_ptr failure;
};

BOOL CALLBACK visitChild(HWND child, LPARAM context) {
    auto& state = *reinterpret_cast<Visit*>(context);
    try {
        std::array<char, kTextBufferSize> text{};
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(child, WM_GETTEXT, text.size(),
                                 reinterpret_cast<LPARAM>(text.data()),
                                 SMTO_ABORTIFHUNG | SMTO_BLOCK, kTextTimeoutMilliseconds, &copied))
            text[0] = '\0';
        text.back() = '\0';
        return state.visit(std::string(text.data())) ? TRUE : FALSE;
    } catch (...) {
        state.failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

std::vector<TopLevelWindow> Win32WindowList::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    HWND window = FindWindowA(nullptr, nullptr);
    if (window) window = GetWindow(window, GW_HWNDFIRST);
    for (; window; window = GetWindow(window, GW_HWNDNEXT)) {
        // Emptied before each read: a title that cannot be read is empty.
        std::array<char, kTitleBufferSize> title{};
        GetWindowTextA(window, title.data(), kTitleBufferSize);
        title.back() = '\0';
        windows.push_back({fromWindow(window), std::string(title.data())});
    }
    return windows;
}

WindowHandle Win32WindowList::findWindow(const std::string& title) {
    return fromWindow(FindWindowA(nullptr, title.c_str()));
}

bool Win32WindowList::existsTitled(const std::string& title) {
    return FindWindowA(nullptr, title.c_str()) != nullptr;
}

void Win32WindowList::visitDescendants(WindowHandle window,
                                       const std::function<bool(const std::string& text)>& visit) {
    Visit state{visit, nullptr};
    EnumChildWindows(toWindow(window), visitChild, reinterpret_cast<LPARAM>(&state));
    if (state.failure) std::rethrow_exception(state.failure);
}

}  // namespace zn::win32
