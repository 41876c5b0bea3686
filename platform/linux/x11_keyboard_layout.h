// The layout's names of the keys without a fixed name (the punctuation keys),
// taken from the keysym each virtual-key code stands for. Table-based: it
// needs no display and gives the same names whatever layout is active, the
// same keys the hotkey grabs use.
#pragma once

#include "platform/keyboard_layout.h"

namespace zn {

class X11KeyboardLayout : public KeyboardLayout {
public:
    std::string keyName(unsigned virtualKey) const override;
};

}  // namespace zn
