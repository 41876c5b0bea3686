#include "platform/linux/x11_keyboard_layout.h"

#include <optional>

#include "platform/linux/virtual_keys.h"

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

std::string utf8(char32_t character) {
    std::string text;
    if (character < 0x80) {
        text += char(character);
    } else if (character < 0x800) {
        text += char(0xC0 | (character >> 6));
        text += char(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        text += char(0xE0 | (character >> 12));
        text += char(0x80 | ((character >> 6) & 0x3F));
        text += char(0x80 | (character & 0x3F));
    } else {
        text += char(0xF0 | (character >> 18));
        text += char(0x80 | ((character >> 12) & 0x3F));
        text += char(0x80 | ((character >> 6) & 0x3F));
        text += char(0x80 | (character & 0x3F));
    }
    return text;
}

}  // namespace

std::string X11KeyboardLayout::keyName(unsigned virtualKey) const {
    const auto character = characterOfKeysym(keysymForVirtualKey(virtualKey));
    if (!character || !isPrintable(*character)) return {};
    return utf8(*character);
}

}  // namespace zn
