// The key part comes from the same keysym table the X grabs use, so a stored
// hotkey means the same key on either kind of session.
#include "platform/linux/portal_trigger.h"

#include <X11/keysym.h>

#include "platform/hotkeys.h"
#include "platform/linux/virtual_keys.h"

namespace zn {
namespace {

// The names the keysym table gives, without any prefix; letters are the small
// keysyms, so "p", never "P" (which would mean Shift to some desktops).
std::string keysymName(Keysym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return std::string(1, char('a' + (keysym - XK_a)));
    if (keysym >= XK_0 && keysym <= XK_9) return std::string(1, char('0' + (keysym - XK_0)));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return std::string("KP_").append(std::to_string(keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24) return std::string("F").append(std::to_string(keysym - XK_F1 + 1));
    switch (keysym) {
        case XK_BackSpace:
            return "BackSpace";
        case XK_Tab:
            return "Tab";
        case XK_Return:
            return "Return";
        case XK_Escape:
            return "Escape";
        case XK_space:
            return "space";
        case XK_Prior:
            return "Page_Up";
        case XK_Next:
            return "Page_Down";
        case XK_End:
            return "End";
        case XK_Home:
            return "Home";
        case XK_Left:
            return "Left";
        case XK_Up:
            return "Up";
        case XK_Right:
            return "Right";
        case XK_Down:
            return "Down";
        case XK_Insert:
            return "Insert";
        case XK_Delete:
            return "Delete";
        case XK_semicolon:
            return "semicolon";
        case XK_equal:
            return "equal";
        case XK_comma:
            return "comma";
        case XK_minus:
            return "minus";
        case XK_period:
            return "period";
        case XK_slash:
            return "slash";
        case XK_grave:
            return "grave";
        case XK_bracketleft:
            return "bracketleft";
        case XK_backslash:
            return "backslash";
        case XK_bracketright:
            return "bracketright";
        case XK_apostrophe:
            return "apostrophe";
        default:
            return {};
    }
}

}  // namespace

std::string portalTrigger(unsigned modifiers, unsigned virtualKey) {
    constexpr unsigned kKnown = kModShift | kModControl | kModAlt;
    if (modifiers & ~kKnown) return {};
    const std::string key = keysymName(keysymForVirtualKey(virtualKey));
    if (key.empty()) return {};
    // The order of the stored texts: Shift, Ctrl, Alt.
    std::string trigger;
    if (modifiers & kModShift) trigger += "SHIFT+";
    if (modifiers & kModControl) trigger += "CTRL+";
    if (modifiers & kModAlt) trigger += "ALT+";
    return trigger + key;
}

}  // namespace zn
