// The application window: a hidden top-level window that lives as long as
// the program. Setup finds a running copy by its title; hotkeys, timers, the
// tray icon and the end of the session send their messages here, and each
// service that needs one claims its message.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/win32/win32_window.h"

namespace zn::win32 {

class ApplicationWindow : public Window {
public:
    explicit ApplicationWindow(const std::string& title);

    // What a handler returns goes back to the sender; nothing means the
    // default handling. One handler per message: a later one replaces it.
    using Handler = std::function<std::optional<LRESULT>(WPARAM, LPARAM)>;
    void onMessage(UINT message, Handler handler);
    void forgetMessage(UINT message);

protected:
    // An application window of another style and place: one that the task
    // bar shows, say.
    ApplicationWindow(const std::string& title, DWORD style, DWORD exStyle, RECT bounds);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::map<UINT, Handler> handlers_;
};

}  // namespace zn::win32
