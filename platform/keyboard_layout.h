// The keyboard layout's own name for a key that has no fixed name.
#pragma once

#include <string>

namespace zn {

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // The layout's name of the key with this Windows virtual-key code, or ""
    // when the layout has none.
    virtual std::string keyName(unsigned virtualKey) const = 0;
};

}  // namespace zn
