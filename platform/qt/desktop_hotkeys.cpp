#include "platform/qt/desktop_hotkeys.h"

#include <QDBusConnection>

#include "platform/linux/session_type.h"
#include "platform/linux/x11_hotkeys.h"
#include "platform/qt/hotkey_pump.h"
#include "platform/qt/portal_hotkeys.h"

namespace zn {
namespace {

class GrabbedHotkeys : public DesktopHotkeys {
public:
    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override {
        return grabs_.registerHotkey(id, modifiers, keyCode);
    }
    void unregisterHotkey(int id) override { grabs_.unregisterHotkey(id); }
    void deliverTo(std::function<void(int id)> onHotkey) override {
        pump_ = std::make_unique<HotkeyPump>(grabs_, std::move(onHotkey));
    }

private:
    X11Hotkeys grabs_;
    std::unique_ptr<HotkeyPump> pump_;  // declared last: it watches the grabs' connection
};

}  // namespace

std::unique_ptr<DesktopHotkeys> hotkeysForThisSession(std::map<int, std::string> descriptions) {
    // X grabs through Xwayland would only see keys typed into X programs.
    if (isWaylandSession())
        return std::make_unique<PortalHotkeys>(QDBusConnection::sessionBus(),
                                               std::move(descriptions));
    return std::make_unique<GrabbedHotkeys>();
}

}  // namespace zn
