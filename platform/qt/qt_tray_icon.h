// The notification area through QSystemTrayIcon. A desktop without a tray
// refuses the icon. The menu is not handed to Qt where the component can pop
// it up itself (the XEmbed tray); a StatusNotifier host draws the menu itself
// and is handed it instead.
#pragma once

#include <QIcon>
#include <QMenu>
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

    // The menu the component pops up on a right click, for a host that only
    // shows menus it was given; elsewhere nothing changes.
    void offerMenu(QMenu& menu);

    QSystemTrayIcon& icon() { return icon_; }

private:
    // Probed when the icon is made, as Qt chooses its way to the tray then.
    bool statusNotifierHost_;
    QSystemTrayIcon icon_;
    std::function<void(TrayMouseMessage)> handler_;
};

}  // namespace zn
