// Shortcut values and shortcut texts. The texts end up in the settings, so
// the key names and the prefix order below must never change.
#include "desktop/shortcut_text.h"

#include <optional>
#include <string_view>

namespace zn {
namespace {

constexpr unsigned kFirstReadableKeyCode = 8;
constexpr unsigned kLastReadableKeyCode = 255;

constexpr std::string_view kShiftPrefix = "Shift+";
constexpr std::string_view kCtrlPrefix = "Ctrl+";
constexpr std::string_view kCaretCtrlPrefix = "^";
constexpr std::string_view kAltPrefix = "Alt+";

std::optional<std::string> fixedKeyName(unsigned virtualKey) {
    switch (virtualKey) {
        case 8:
            return "BkSp";
        case 9:
            return "Tab";
        case 13:
            return "Enter";
        case 27:
            return "Esc";
        case 32:
            return "Space";
        case 33:
            return "PgUp";
        case 34:
            return "PgDn";
        case 35:
            return "End";
        case 36:
            return "Home";
        case 37:
            return "Left";
        case 38:
            return "Up";
        case 39:
            return "Right";
        case 40:
            return "Down";
        case 45:
            return "Ins";
        case 46:
            return "Del";
        default:
            break;
    }
    if (virtualKey >= '0' && virtualKey <= '9') return std::string(1, char(virtualKey));
    if (virtualKey >= 'A' && virtualKey <= 'Z') return std::string(1, char(virtualKey));
    // The number pad digits deliberately share the main row's names.
    if (virtualKey >= 96 && virtualKey <= 105) return std::string(1, char('0' + virtualKey - 96));
    if (virtualKey >= 112 && virtualKey <= 135) {
        // Appended rather than "F" + number: GCC 12 at -O3 warns falsely
        // (-Wrestrict) on inserting before a temporary string.
        std::string name = "F";
        name += std::to_string(virtualKey - 111);
        return name;
    }
    return std::nullopt;
}

// One character of the user's text: a single byte (any 8-bit code page), or
// one complete UTF-8 sequence, which is what a layout gives on Linux.
bool isSingleCharacter(const std::string& name) {
    if (name.size() == 1) return true;
    if (name.empty()) return false;
    const auto lead = static_cast<unsigned char>(name[0]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (name.size() != length) return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) return false;
    }
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Letter case is folded for ASCII only: the fixed names are ASCII, and a
// layout's name comes back in the case it was written in.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (text.size() < prefix.size() ||
        !equalIgnoringAsciiCase(text.substr(0, prefix.size()), prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// The lowest code whose name matches, so "5" is the main-row key, never the
// number pad's.
std::optional<unsigned> keyCodeNamed(std::string_view name, const KeyboardLayout& layout) {
    for (unsigned code = kFirstReadableKeyCode; code <= kLastReadableKeyCode; ++code) {
        if (equalIgnoringAsciiCase(keyCodeName(code, layout), name)) return code;
    }
    return std::nullopt;
}

}  // namespace

std::string keyCodeName(unsigned virtualKey, const KeyboardLayout& layout) {
    if (auto fixed = fixedKeyName(virtualKey)) return *fixed;
    std::string name = layout.keyName(virtualKey);
    return isSingleCharacter(name) ? name : std::string();
}

std::string ShortCutToText(ShortcutValue shortcut, const KeyboardLayout& layout) {
    std::string name = keyCodeName(shortcut & kShortcutKeyMask, layout);
    if (name.empty()) return name;
    std::string text;
    if (shortcut & kShortcutShift) text += kShiftPrefix;
    if (shortcut & kShortcutCtrl) text += kCtrlPrefix;
    if (shortcut & kShortcutAlt) text += kAltPrefix;
    return text + name;
}

ShortcutValue TextToShortCut(const std::string& text, const KeyboardLayout& layout) {
    std::string_view rest = text;
    ShortcutValue modifiers = 0;
    ShortcutValue modifiersBeforeLastCaret = 0;
    bool lastPrefixWasCaret = false;
    for (;;) {
        const ShortcutValue before = modifiers;
        if (takePrefix(rest, kShiftPrefix)) {
            modifiers |= kShortcutShift;
        } else if (takePrefix(rest, kCtrlPrefix)) {
            modifiers |= kShortcutCtrl;
        } else if (takePrefix(rest, kCaretCtrlPrefix)) {
            modifiers |= kShortcutCtrl;
            modifiersBeforeLastCaret = before;
            lastPrefixWasCaret = true;
            continue;
        } else if (takePrefix(rest, kAltPrefix)) {
            modifiers |= kShortcutAlt;
        } else {
            break;
        }
        lastPrefixWasCaret = false;
    }

    if (rest.empty()) {
        // A layout with a key named "^" writes texts like "Ctrl+Alt+^"; the
        // trailing caret is that key, not one more Ctrl, or the hotkey would
        // be lost at the next start.
        if (!lastPrefixWasCaret) return 0;
        const auto caretKey = keyCodeNamed(kCaretCtrlPrefix, layout);
        return caretKey ? ShortcutValue(*caretKey | modifiersBeforeLastCaret) : 0;
    }
    const auto code = keyCodeNamed(rest, layout);
    return code ? ShortcutValue(*code | modifiers) : 0;
}

unsigned registrationModifiers(ShortcutValue shortcut) {
    unsigned modifiers = 0;
    if (shortcut & kShortcutShift) modifiers += kModShift;
    if (shortcut & kShortcutCtrl) modifiers += kModControl;
    if (shortcut & kShortcutAlt) modifiers += kModAlt;
    return modifiers;
}

void registerHotkey(Hotkeys& hotkeys, int id, ShortcutValue shortcut) {
    hotkeys.registerHotkey(id, registrationModifiers(shortcut), shortcut & kShortcutKeyMask);
}

ShortcutValue acceptedHotkeyCombination(ShortcutValue typed) {
    const ShortcutValue key = typed & kShortcutKeyMask;
    if (key == 0) return 0;
    const ShortcutValue modifiers = typed & kShortcutModifierMask;
    if (modifiers == 0 || modifiers == kShortcutShift) return key | kShortcutCtrl | kShortcutAlt;
    return key | modifiers;
}

}  // namespace zn
