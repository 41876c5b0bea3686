#include "platform/win32/win32_tray_icon.h"

#include <algorithm>
#include <cstring>

namespace zn::win32 {
namespace {

// The application's own icon (resource 1), or the system's generic one for a
// program built without it. A copy, so that it is ours to destroy.
HICON copyOfApplicationIcon() {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (!icon) icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    return CopyIcon(icon);
}

}  // namespace

TrayMouseMessage trayMouseMessageOf(LPARAM lParam) {
    switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
            return TrayMouseMessage::LeftButtonUp;
        case WM_LBUTTONDBLCLK:
            return TrayMouseMessage::LeftButtonDoubleClick;
        case WM_RBUTTONUP:
            return TrayMouseMessage::RightButtonUp;
        default:
            return TrayMouseMessage::Other;
    }
}

Win32TrayIcon::Win32TrayIcon(ApplicationWindow& window)
    : window_(window), icon_(copyOfApplicationIcon()) {
    window_.onMessage(kTrayCallbackMessage,
                      [this](WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
                          if (handler_) handler_(trayMouseMessageOf(lParam));
                          return 0;
                      });
    // A shell that starts again has forgotten our icon: it says so to every
    // top-level window with this message, and the icon goes back.
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    if (taskbarCreated_) {
        window_.onMessage(taskbarCreated_, [this](WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (added_) {
                NOTIFYICONDATAA data = record(tip_);
                Shell_NotifyIconA(NIM_ADD, &data);
            }
            if (arrival_) arrival_();
            return std::nullopt;
        });
    }
}

Win32TrayIcon::~Win32TrayIcon() {
    // An icon left behind would stay in the tray until the mouse passes over it.
    if (added_) removeIcon();
    if (taskbarCreated_) window_.forgetMessage(taskbarCreated_);
    window_.forgetMessage(kTrayCallbackMessage);
}

bool Win32TrayIcon::shellCapable() const {
    // Every Windows this runs on has a notification area; whether its task
    // bar runs now is for the shell to say, by refusing the icon.
    return true;
}

NOTIFYICONDATAA Win32TrayIcon::record(const std::string& tip) const {
    NOTIFYICONDATAA data{};
    data.cbSize = kNotifyRecordSize;
    data.hWnd = window_.handle();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_.get();
    if (!tip.empty()) {
        data.uFlags |= NIF_TIP;
        // The first version's tip: 63 bytes and the closing zero.
        const std::size_t length = std::min(tip.size(), std::size_t(63));
        std::memcpy(data.szTip, tip.data(), length);
        data.szTip[length] = '\0';
    }
    return data;
}

bool Win32TrayIcon::addIcon(const std::string& tip) {
    NOTIFYICONDATAA data = record(tip);
    if (!Shell_NotifyIconA(NIM_ADD, &data)) return false;
    added_ = true;
    tip_ = tip;
    return true;
}

void Win32TrayIcon::modifyIcon(const std::string& tip) {
    NOTIFYICONDATAA data = record(tip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
    tip_ = tip;
}

void Win32TrayIcon::removeIcon() {
    NOTIFYICONDATAA data = record(std::string());
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

ScreenPoint Win32TrayIcon::cursorPosition() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    return {cursor.x, cursor.y};
}

bool Win32TrayIcon::applicationWindowVisible() const {
    return IsWindowVisible(window_.handle()) != 0;
}

}  // namespace zn::win32
