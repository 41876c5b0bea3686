// The notification-area icon.
#pragma once

namespace zn {

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Shows or removes the icon. Raises a runtime_error with
    // "Cannot create shell notification Icon" when the desktop refuses it.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

}  // namespace zn
