// The tray icon's menu, PopupMenu1: "&Open", "&Add Bookmark" and "&Quit",
// forwarded to the main window's logic.
#pragma once

#include <QMenu>
#include <QWidget>
#include <functional>

#include "app/main_window.h"
#include "platform/tray_icon.h"

namespace zn {

class TrayMenu : public QMenu, public PopupMenu {
    Q_OBJECT
public:
    // "&Quit" closes mainWindow, which asks the logic whether it may.
    TrayMenu(TForm1& form, QWidget& mainWindow);
    void popUp(ScreenPoint at) override;
    QAction* item(const char* objectName) const;
};

// Calls restored whenever the window leaves the minimised state: the tray
// icon's restore hook.
class RestoreWatcher : public QObject {
    Q_OBJECT
public:
    RestoreWatcher(QWidget& window, std::function<void()> restored);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<void()> restored_;
};

}  // namespace zn
