// Brings the X hotkey presses into the Qt event loop, so each reaches the
// program on the UI thread like any other message, modal dialogs included.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zn {

class X11Hotkeys;

class HotkeyPump : public QObject {
    Q_OBJECT
public:
    // Without a display it stays idle.
    HotkeyPump(X11Hotkeys& hotkeys, std::function<void(int id)> onHotkey,
               QObject* parent = nullptr);

private:
    void dispatch();

    X11Hotkeys& hotkeys_;
    std::function<void(int id)> onHotkey_;
    QSocketNotifier* notifier_ = nullptr;  // a child, owned by Qt's tree
};

}  // namespace zn
