// The notification area through Shell_NotifyIconA. The shell gets the first
// version of its record, the one every shell reads; mouse actions on the icon
// come back as a message to the application window.
#pragma once

// The system headers need windows.h first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/tray_icon.h"
#include "platform/win32/application_window.h"

namespace zn::win32 {

// The record's size as the shell is told it: up to and including the 64-byte
// tip. That is 88 bytes in a 32-bit build; in a 64-bit one the window and icon
// handles are 8 bytes wide and aligned, which makes the same fields 104 bytes.
inline constexpr DWORD kNotifyRecordSize = NOTIFYICONDATAA_V1_SIZE;
// The message the shell sends the application window for a mouse action.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;

// The mouse message the shell puts into the callback's second parameter.
TrayMouseMessage trayMouseMessageOf(LPARAM lParam);

class Win32TrayIcon : public NotificationArea {
public:
    explicit Win32TrayIcon(ApplicationWindow& window);
    ~Win32TrayIcon() override;
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    bool shellCapable() const override;
    bool addIcon(const std::string& tip) override;
    void modifyIcon(const std::string& tip) override;
    void removeIcon() override;
    ScreenPoint cursorPosition() const override;
    bool applicationWindowVisible() const override;
    void setNotificationHandler(std::function<void(TrayMouseMessage)> handler) override {
        handler_ = std::move(handler);
    }
    void setArrivalHandler(std::function<void()> handler) override {
        arrival_ = std::move(handler);
    }

    // The record for a call; the tip is cut to what the record holds.
    NOTIFYICONDATAA record(const std::string& tip) const;

private:
    struct IconDeleter {
        void operator()(HICON icon) const { DestroyIcon(icon); }
    };

    ApplicationWindow& window_;
    std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter> icon_;
    UINT taskbarCreated_ = 0;
    std::function<void(TrayMouseMessage)> handler_;
    std::function<void()> arrival_;
    bool added_ = false;
    std::string tip_;
};

}  // namespace zn::win32
