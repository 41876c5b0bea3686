// Qt key combinations as shortcut values (Windows virtual-key code plus the
// Shift/Ctrl/Alt bits) and back.
#pragma once

#include <QKeyCombination>

#include "desktop/shortcut_text.h"

namespace zn {

// 0 for a key no shortcut can hold. Shifted punctuation ("!" for Shift+1)
// is taken back to its US key, the layout the punctuation codes stand for.
// Keypad keys are their digits whether NumLock gave the digit or the
// navigation key, as the hotkey grab takes the physical key.
ShortcutValue shortcutFromKeyCombination(QKeyCombination combination);
// A combination with key 0 for a value holding no known key.
QKeyCombination keyCombinationFromShortcut(ShortcutValue shortcut);

}  // namespace zn
