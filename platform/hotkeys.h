// System-wide hotkeys. A press reaches the program as a hotkey message with its id.
#pragma once

namespace zn {

// Registration modifiers, with the values the Windows call takes.
enum HotkeyModifier : unsigned {
    kModAlt = 1,
    kModControl = 2,
    kModShift = 4,
};

class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    // keyCode is a Windows virtual-key code. False when the system refused it
    // (another client holds the combination, or the key does not exist); the
    // rules never report that.
    virtual bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) = 0;
    virtual void unregisterHotkey(int id) = 0;
};

}  // namespace zn
