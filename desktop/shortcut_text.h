// Hotkeys as 16-bit shortcut values and as the texts the settings store
// ("Ctrl+Alt+P"). The texts are a persisted format.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hotkeys.h"
#include "platform/keyboard_layout.h"

namespace zn {

using ShortcutValue = std::uint16_t;

inline constexpr ShortcutValue kShortcutShift = 0x2000;
inline constexpr ShortcutValue kShortcutCtrl = 0x4000;
inline constexpr ShortcutValue kShortcutAlt = 0x8000;
inline constexpr ShortcutValue kShortcutKeyMask = 0x00FF;
inline constexpr ShortcutValue kShortcutModifierMask =
    kShortcutShift | kShortcutCtrl | kShortcutAlt;

inline constexpr const char* kDefaultActivateKey = "Ctrl+Alt+P";
inline constexpr const char* kDefaultFavoriteKey = "Ctrl+Alt+B";

inline constexpr int kToggleHotkeyId = 0;
inline constexpr int kCaptureHotkeyId = 1;

// The name of a virtual-key code, "" when it has none.
std::string keyCodeName(unsigned virtualKey, const KeyboardLayout& layout);
// "Shift+Ctrl+Alt+" prefixes in that order, then the key's name; "" for a
// key without a name.
std::string ShortCutToText(ShortcutValue shortcut, const KeyboardLayout& layout);
// Prefixes in any order and case ("^" for Ctrl); 0 when nothing names a key.
ShortcutValue TextToShortCut(const std::string& text, const KeyboardLayout& layout);

// Shift=4, Ctrl=2, Alt=1, added.
unsigned registrationModifiers(ShortcutValue shortcut);
// Splits the value as the hidden key converter does (key code = low byte)
// and registers it. The result is not examined by any caller.
void registerHotkey(Hotkeys& hotkeys, int id, ShortcutValue shortcut);

// What an options-dialog hotkey field keeps of a typed combination: one
// without a modifier, or with Shift alone, gets Ctrl+Alt as its modifiers.
// A value without a key stays 0.
ShortcutValue acceptedHotkeyCombination(ShortcutValue typed);

}  // namespace zn
