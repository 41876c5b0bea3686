// A hotkey as the trigger text the desktop's shortcut service takes as its
// preferred trigger: the modifier names CTRL, ALT and SHIFT and the key's
// keysym name, joined by "+" ("CTRL+ALT+p").
#pragma once

#include <string>

namespace zn {

// modifiers are the registration modifiers (kModAlt, ...), virtualKey a
// Windows virtual-key code. "" for a key or modifier this program cannot
// grab, which the caller treats as a refused registration.
std::string portalTrigger(unsigned modifiers, unsigned virtualKey);

}  // namespace zn
