// The hotkeys of this desktop session: X key grabs on an X11 session, the
// GlobalShortcuts portal on a Wayland one. Either delivers presses on the UI
// thread, modal dialogs included, with the id they were registered under.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/hotkeys.h"

namespace zn {

class DesktopHotkeys : public Hotkeys {
public:
    virtual void deliverTo(std::function<void(int id)> onHotkey) = 0;
};

// descriptions: what a desktop's shortcut settings show for each id.
std::unique_ptr<DesktopHotkeys> hotkeysForThisSession(std::map<int, std::string> descriptions);

}  // namespace zn
