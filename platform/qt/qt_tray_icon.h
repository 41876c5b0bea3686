// The notification-area icon as a QSystemTrayIcon.
#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

#include "platform/tray_icon.h"

namespace zn {

class QtTrayIcon : public TrayIcon {
public:
    QtTrayIcon(const QIcon& icon, const QString& hint);
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return enabled_; }
    QSystemTrayIcon& icon() { return icon_; }

private:
    QSystemTrayIcon icon_;
    bool enabled_ = false;
};

}  // namespace zn
