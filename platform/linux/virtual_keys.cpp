#include "platform/linux/virtual_keys.h"

#include <X11/keysym.h>

namespace zn {
namespace {

Keysym namedKeysym(unsigned virtualKey) {
    switch (virtualKey) {
        case 0x08:
            return XK_BackSpace;
        case 0x09:
            return XK_Tab;
        case 0x0D:
            return XK_Return;
        case 0x1B:
            return XK_Escape;
        case 0x20:
            return XK_space;
        case 0x21:
            return XK_Prior;
        case 0x22:
            return XK_Next;
        case 0x23:
            return XK_End;
        case 0x24:
            return XK_Home;
        case 0x25:
            return XK_Left;
        case 0x26:
            return XK_Up;
        case 0x27:
            return XK_Right;
        case 0x28:
            return XK_Down;
        case 0x2D:
            return XK_Insert;
        case 0x2E:
            return XK_Delete;
        case 0xBA:
            return XK_semicolon;
        case 0xBB:
            return XK_equal;
        case 0xBC:
            return XK_comma;
        case 0xBD:
            return XK_minus;
        case 0xBE:
            return XK_period;
        case 0xBF:
            return XK_slash;
        case 0xC0:
            return XK_grave;
        case 0xDB:
            return XK_bracketleft;
        case 0xDC:
            return XK_backslash;
        case 0xDD:
            return XK_bracketright;
        case 0xDE:
            return XK_apostrophe;
        default:
            return kNoKeysym;
    }
}

}  // namespace

Keysym keysymForVirtualKey(unsigned virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9') return XK_0 + (virtualKey - '0');
    // Letters are grabbed by their unshifted (small) keysym, the one in the
    // key's first column.
    if (virtualKey >= 'A' && virtualKey <= 'Z') return XK_a + (virtualKey - 'A');
    if (virtualKey >= 96 && virtualKey <= 105) return XK_KP_0 + (virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 135) return XK_F1 + (virtualKey - 112);
    return namedKeysym(virtualKey);
}

}  // namespace zn
