#include "platform/qt/key_sequence.h"

#include <array>
#include <utility>

namespace zn {
namespace {

using KeyAndCode = std::pair<Qt::Key, unsigned>;

constexpr std::array kNamedKeys{
    KeyAndCode{Qt::Key_Backspace, 0x08},    KeyAndCode{Qt::Key_Tab, 0x09},
    KeyAndCode{Qt::Key_Return, 0x0D},       KeyAndCode{Qt::Key_Escape, 0x1B},
    KeyAndCode{Qt::Key_Space, 0x20},        KeyAndCode{Qt::Key_PageUp, 0x21},
    KeyAndCode{Qt::Key_PageDown, 0x22},     KeyAndCode{Qt::Key_End, 0x23},
    KeyAndCode{Qt::Key_Home, 0x24},         KeyAndCode{Qt::Key_Left, 0x25},
    KeyAndCode{Qt::Key_Up, 0x26},           KeyAndCode{Qt::Key_Right, 0x27},
    KeyAndCode{Qt::Key_Down, 0x28},         KeyAndCode{Qt::Key_Insert, 0x2D},
    KeyAndCode{Qt::Key_Delete, 0x2E},       KeyAndCode{Qt::Key_Semicolon, 0xBA},
    KeyAndCode{Qt::Key_Equal, 0xBB},        KeyAndCode{Qt::Key_Comma, 0xBC},
    KeyAndCode{Qt::Key_Minus, 0xBD},        KeyAndCode{Qt::Key_Period, 0xBE},
    KeyAndCode{Qt::Key_Slash, 0xBF},        KeyAndCode{Qt::Key_QuoteLeft, 0xC0},
    KeyAndCode{Qt::Key_BracketLeft, 0xDB},  KeyAndCode{Qt::Key_Backslash, 0xDC},
    KeyAndCode{Qt::Key_BracketRight, 0xDD}, KeyAndCode{Qt::Key_Apostrophe, 0xDE},
};

// What Qt reports when Shift is held on a US layout, and the key underneath.
constexpr std::array kShiftedKeys{
    KeyAndCode{Qt::Key_ParenRight, '0'},  KeyAndCode{Qt::Key_Exclam, '1'},
    KeyAndCode{Qt::Key_At, '2'},          KeyAndCode{Qt::Key_NumberSign, '3'},
    KeyAndCode{Qt::Key_Dollar, '4'},      KeyAndCode{Qt::Key_Percent, '5'},
    KeyAndCode{Qt::Key_AsciiCircum, '6'}, KeyAndCode{Qt::Key_Ampersand, '7'},
    KeyAndCode{Qt::Key_Asterisk, '8'},    KeyAndCode{Qt::Key_ParenLeft, '9'},
    KeyAndCode{Qt::Key_Colon, 0xBA},      KeyAndCode{Qt::Key_Plus, 0xBB},
    KeyAndCode{Qt::Key_Less, 0xBC},       KeyAndCode{Qt::Key_Underscore, 0xBD},
    KeyAndCode{Qt::Key_Greater, 0xBE},    KeyAndCode{Qt::Key_Question, 0xBF},
    KeyAndCode{Qt::Key_AsciiTilde, 0xC0}, KeyAndCode{Qt::Key_BraceLeft, 0xDB},
    KeyAndCode{Qt::Key_Bar, 0xDC},        KeyAndCode{Qt::Key_BraceRight, 0xDD},
    KeyAndCode{Qt::Key_QuoteDbl, 0xDE},
};

// The keypad keys with NumLock off, in digit order.
constexpr std::array kKeypadNavigationKeys{
    Qt::Key_Insert, Qt::Key_End,   Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
    Qt::Key_Clear,  Qt::Key_Right, Qt::Key_Home, Qt::Key_Up,       Qt::Key_PageUp,
};

constexpr unsigned kFirstKeypadDigitCode = 96;
constexpr unsigned kFirstFunctionKeyCode = 112;
constexpr int kFunctionKeyCount = 24;

template <std::size_t N>
unsigned codeOf(const std::array<KeyAndCode, N>& table, Qt::Key key) {
    for (const auto& [tableKey, code] : table) {
        if (tableKey == key) return code;
    }
    return 0;
}

unsigned keypadCode(Qt::Key key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return kFirstKeypadDigitCode + (key - Qt::Key_0);
    for (std::size_t digit = 0; digit < kKeypadNavigationKeys.size(); ++digit) {
        if (kKeypadNavigationKeys[digit] == key) return kFirstKeypadDigitCode + unsigned(digit);
    }
    // The keypad's operators and Enter would be grabbed on other keys.
    return 0;
}

unsigned virtualKeyCode(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) return keypadCode(key);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return unsigned(key);
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeyCount)
        return kFirstFunctionKeyCode + (key - Qt::Key_F1);
    if (key == Qt::Key_Backtab) return 0x09;
    if (key == Qt::Key_Enter) return 0x0D;
    if (modifiers & Qt::ShiftModifier) {
        if (unsigned code = codeOf(kShiftedKeys, key)) return code;
    }
    return codeOf(kNamedKeys, key);
}

Qt::Key keyOfCode(unsigned code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return Qt::Key(code);
    if (code >= kFirstKeypadDigitCode && code < kFirstKeypadDigitCode + 10)
        return Qt::Key(Qt::Key_0 + (code - kFirstKeypadDigitCode));
    if (code >= kFirstFunctionKeyCode && code < kFirstFunctionKeyCode + kFunctionKeyCount)
        return Qt::Key(Qt::Key_F1 + (code - kFirstFunctionKeyCode));
    for (const auto& [key, tableCode] : kNamedKeys) {
        if (tableCode == code) return key;
    }
    return Qt::Key(0);
}

}  // namespace

ShortcutValue shortcutFromKeyCombination(QKeyCombination combination) {
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const unsigned code = virtualKeyCode(combination.key(), modifiers);
    if (code == 0) return 0;
    ShortcutValue shortcut = ShortcutValue(code);
    if (modifiers & Qt::ShiftModifier) shortcut |= kShortcutShift;
    if (modifiers & Qt::ControlModifier) shortcut |= kShortcutCtrl;
    if (modifiers & Qt::AltModifier) shortcut |= kShortcutAlt;
    return shortcut;
}

QKeyCombination keyCombinationFromShortcut(ShortcutValue shortcut) {
    const unsigned code = shortcut & kShortcutKeyMask;
    const Qt::Key key = keyOfCode(code);
    if (key == Qt::Key(0)) return QKeyCombination::fromCombined(0);
    Qt::KeyboardModifiers modifiers;
    if (shortcut & kShortcutShift) modifiers |= Qt::ShiftModifier;
    if (shortcut & kShortcutCtrl) modifiers |= Qt::ControlModifier;
    if (shortcut & kShortcutAlt) modifiers |= Qt::AltModifier;
    if (code >= kFirstKeypadDigitCode && code < kFirstKeypadDigitCode + 10)
        modifiers |= Qt::KeypadModifier;
    return QKeyCombination(modifiers, key);
}

}  // namespace zn
