// The notification area through QSystemTrayIcon. A desktop without a tray
// refuses the icon. The menu is not handed to Qt: the component decides when
// it pops up.
#pragma once

#include <QIcon>
#include <QSystemTrayIcon>
#include <functional>

#include "platform/tray_icon.h"

namespace zn {

class QtTrayIcon : public NotificationArea {
public:
    explicit QtTrayIcon(const QIcon& icon);

    bool shellCapable() const override { return true; }
    bool addIcon(const std::string& tip) override;
    void modifyIcon(const std::string& tip) override;
    void removeIcon() override { icon_.hide(); }
    ScreenPoint cursorPosition() const override;
    // The application window of this desktop is an unmapped one.
    bool applicationWindowVisible() const override { return false; }
    void setNotificationHandler(std::function<void(TrayMouseMessage)> handler) override {
        handler_ = std::move(handler);
    }

    QSystemTrayIcon& icon() { return icon_; }

private:
    QSystemTrayIcon icon_;
    std::function<void(TrayMouseMessage)> handler_;
};

}  // namespace zn
