// Windows virtual-key codes as X keysyms. Shortcut values and the stored
// texts speak in virtual-key codes; X grabs keys by keysym and keycode.
#pragma once

#include <cstdint>

namespace zn {

using Keysym = std::uint32_t;
inline constexpr Keysym kNoKeysym = 0;

// The keysym a virtual-key code stands for, kNoKeysym for codes this
// program cannot grab. The punctuation codes are taken as the US keys they
// are named after, whatever the active layout, so a stored text and its grab
// always agree. The number pad digits are the NumLock-on keysyms (KP_0..);
// their keys also carry KP_Insert.. and are grabbed by keycode, so such a
// hotkey fires whether NumLock is on or off.
Keysym keysymForVirtualKey(unsigned virtualKey);

}  // namespace zn
