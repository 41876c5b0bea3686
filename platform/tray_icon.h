// The notification-area icon: the component the main window switches on and
// off, and the desktop's notification area it is shown in.
#pragma once

#include <functional>
#include <string>

namespace zn {

inline constexpr const char* kTrayRefusedMessage = "Cannot create shell notification Icon";

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Shows or removes the icon. Raises a runtime_error with
    // "Cannot create shell notification Icon" when the desktop refuses it.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // After a refusal at start-up: off now, and on by itself once the
    // desktop's notification area appears, unless set otherwise meanwhile.
    virtual void switchOffUntilTheShellArrives() { setEnabled(false); }
};

// What the desktop tells of a mouse action on the icon.
enum class TrayMouseMessage { LeftButtonUp, LeftButtonDoubleClick, RightButtonUp, Other };

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// A menu that can pop up at a point of the screen.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual void popUp(ScreenPoint at) = 0;
};

// The desktop's notification area, holding at most one icon of ours (the
// application's icon, with a tool tip).
class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    // Whether this desktop has a notification area at all.
    virtual bool shellCapable() const = 0;
    // False when the desktop refuses the icon. An empty tip shows none.
    virtual bool addIcon(const std::string& tip) = 0;
    virtual void modifyIcon(const std::string& tip) = 0;
    virtual void removeIcon() = 0;
    // Where the mouse cursor is now.
    virtual ScreenPoint cursorPosition() const = 0;
    // Whether the application's own window is visible (on this desktop it never is).
    virtual bool applicationWindowVisible() const = 0;
    // Receives the mouse actions on the icon, on the user-interface thread.
    virtual void setNotificationHandler(std::function<void(TrayMouseMessage)> handler) = 0;
    // Told when the notification area appears (the task bar starting, late
    // at logon or again after a crash); never, where that cannot be known.
    virtual void setArrivalHandler(std::function<void()> handler) { (void)handler; }
};

}  // namespace zn
