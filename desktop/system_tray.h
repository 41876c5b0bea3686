// TOrvSystemTray: the notification-area icon as the main window uses it. It
// decides when the icon is added, changed and removed, and turns the mouse
// actions on it into its events; the desktop's notification area only shows.
#pragma once

#include <functional>
#include <string>

#include "platform/tray_icon.h"

namespace zn {

// The longest tool tip the notification area takes.
inline constexpr std::size_t kTrayTipLength = 63;

class TOrvSystemTray : public TrayIcon {
public:
    // applicationTitle stands in for an empty hint; applicationMinimised is
    // the application's state as the component is made.
    TOrvSystemTray(NotificationArea& area, std::string applicationTitle,
                   bool applicationMinimised = false);
    ~TOrvSystemTray() override;
    TOrvSystemTray(const TOrvSystemTray&) = delete;
    TOrvSystemTray& operator=(const TOrvSystemTray&) = delete;

    // Enabled: the icon exists only while it is on.
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return enabled_; }
    void switchOffUntilTheShellArrives() override;
    // The tool tip; only its first 63 characters reach the notification area.
    void setHint(const std::string& hint);
    const std::string& hint() const { return hint_; }
    // True: the icon shows whether or not the application is minimised;
    // false: only while it is.
    void setNormalIcon(bool normalIcon);
    bool normalIcon() const { return normalIcon_; }
    // The menu of a right click; nullptr for none (also when it is destroyed).
    void setPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
    PopupMenu* popupMenu() const { return popupMenu_; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(ScreenPoint)> OnRightClick;
    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;

    // A mouse action on the icon.
    void notify(TrayMouseMessage message);
    // The application's minimise and restore hooks.
    void ApplicationMinimize();
    void ApplicationRestore();
    // The desktop's notification area has appeared.
    void ShellArrived();

    bool iconShown() const { return iconShown_; }
    const std::string& tip() const { return tip_; }

private:
    void addIcon();
    void removeIcon();
    void modifyIcon();

    NotificationArea& area_;
    std::string hint_;
    std::string tip_;
    PopupMenu* popupMenu_ = nullptr;
    bool enabled_ = false;
    bool normalIcon_ = false;
    bool iconShown_ = false;
    bool applicationMinimised_ = false;
    bool awaitingShell_ = false;
};

}  // namespace zn
