#include "platform/win32/application_window.h"

namespace zn::win32 {

// Never shown: a popup with no size, out of the task bar.
ApplicationWindow::ApplicationWindow(const std::string& title)
    : ApplicationWindow(title, WS_POPUP, WS_EX_TOOLWINDOW, RECT{0, 0, 0, 0}) {}

ApplicationWindow::ApplicationWindow(const std::string& title, DWORD style, DWORD exStyle,
                                     RECT bounds) {
    create("ZintrelApplication", title, style, exStyle, bounds, nullptr);
}

void ApplicationWindow::onMessage(UINT message, Handler handler) {
    handlers_[message] = std::move(handler);
}

void ApplicationWindow::forgetMessage(UINT message) {
    handlers_.erase(message);
}

LRESULT ApplicationWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = handlers_.find(message);
    if (found != handlers_.end())
        if (const auto result = found->second(wParam, lParam)) return *result;
    return Window::handleMessage(message, wParam, lParam);
}

}  // namespace zn::win32
