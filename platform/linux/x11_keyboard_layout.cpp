#include "platform/linux/x11_keyboard_layout.h"

#include <optional>

#include "platform/linux/virtual_keys.h"
#include "platform/utf8.h"

namespace zn {
namespace {

constexpr Keysym kUnicodeKeysymBase = 0x01000000;

// Latin-1 keysyms are their own code points; the rest of Unicode is keysym
// base + code point. Function keys and the number pad have no character.
std::optional<char32_t> characterOfKeysym(Keysym keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return char32_t(keysym);
    if (keysym >= kUnicodeKeysymBase + 0x100 && keysym <= kUnicodeKeysymBase + 0x10FFFF)
        return char32_t(keysym - kUnicodeKeysymBase);
    return std::nullopt;
}

bool isPrintable(char32_t character) {
    // Blanks would make a name that cannot be told from no name.
    return character > 0x20 && !(character >= 0x7F && character <= 0xA0) &&
           !(character >= 0xD800 && character <= 0xDFFF);
}

}  // namespace

std::string X11KeyboardLayout::keyName(unsigned virtualKey) const {
    const auto character = characterOfKeysym(keysymForVirtualKey(virtualKey));
    if (!character || !isPrintable(*character)) return {};
    std::string name;
    appendUtf8(name, *character);
    return name;
}

}  // namespace zn
