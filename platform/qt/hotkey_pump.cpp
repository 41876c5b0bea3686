#include "platform/qt/hotkey_pump.h"

#include <QSocketNotifier>

#include "platform/linux/x11_hotkeys.h"

namespace zn {

HotkeyPump::HotkeyPump(X11Hotkeys& hotkeys, std::function<void(int id)> onHotkey, QObject* parent)
    : QObject(parent), hotkeys_(hotkeys), onHotkey_(std::move(onHotkey)) {
    const int descriptor = hotkeys_.fileDescriptor();
    if (descriptor < 0) return;
    notifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &HotkeyPump::dispatch);
}

void HotkeyPump::dispatch() {
    hotkeys_.dispatchPending(onHotkey_);
    // A closed connection stays readable for ever; watching it would spin.
    if (!hotkeys_.isConnected()) notifier_->setEnabled(false);
}

}  // namespace zn
