// System-wide hotkeys as passive key grabs on the X root window.
//
// Each hotkey is grabbed with the NumLock and CapsLock variants of its
// modifiers, since X matches the lock modifiers exactly and the user expects
// the hotkey to work in either lock state. A grab that another client holds
// fails the whole registration, silently; whatever part of it had succeeded
// is released again. A new keyboard mapping moves the grabs along with their
// keys. Presses arrive as events on this object's own connection, which the
// owner watches through fileDescriptor().
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/hotkeys.h"

namespace zn {

// The modifier bit that NumLock sets on this display (usually Mod2), 0 when
// no modifier carries NumLock.
std::uint16_t numLockModifierMask(xcb_connection_t* connection);

// One passive grab, released when it goes.
class KeyGrab {
public:
    KeyGrab(xcb_connection_t* connection, xcb_window_t window, xcb_keycode_t keycode,
            std::uint16_t modifiers)
        : connection_(connection), window_(window), keycode_(keycode), modifiers_(modifiers) {}
    ~KeyGrab();
    KeyGrab(KeyGrab&& other) noexcept;
    KeyGrab& operator=(KeyGrab&&) = delete;
    KeyGrab(const KeyGrab&) = delete;
    KeyGrab& operator=(const KeyGrab&) = delete;

private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_keycode_t keycode_;
    std::uint16_t modifiers_;
};

class X11Hotkeys : public Hotkeys {
public:
    // nullptr: $DISPLAY. Without a usable display nothing registers and
    // fileDescriptor() is -1.
    explicit X11Hotkeys(const char* displayName = nullptr);
    ~X11Hotkeys() override;
    X11Hotkeys(const X11Hotkeys&) = delete;
    X11Hotkeys& operator=(const X11Hotkeys&) = delete;

    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override;
    void unregisterHotkey(int id) override;

    // Readable when events wait; -1 without a display.
    int fileDescriptor() const;
    // False once the display is gone (never had one, or the server closed
    // the connection); a watcher of the descriptor should then stop.
    bool isConnected() const;
    // Handles every event already received or readable without blocking,
    // calling onHotkey with the id of each registered hotkey pressed.
    void dispatchPending(const std::function<void(int id)>& onHotkey);

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };
    struct FreeKeySymbols {
        void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
    };
    struct Registration {
        int id;
        unsigned virtualKey;
        unsigned registrationModifiers;
        xcb_keycode_t keycode;
        std::uint16_t modifiers;    // without the lock modifiers
        std::uint16_t numLockMask;  // the one its variants were grabbed with
        std::vector<KeyGrab> grabs;
    };

    std::optional<xcb_keycode_t> keycodeFor(unsigned virtualKey) const;
    std::vector<std::uint16_t> lockVariants(std::uint16_t modifiers) const;
    // All variants, or none when any was refused.
    std::optional<std::vector<KeyGrab>> grabWithLockVariants(xcb_keycode_t keycode,
                                                             std::uint16_t modifiers);
    const Registration* registrationPressed(const xcb_key_press_event_t& press) const;
    void refreshKeyboardMapping(xcb_mapping_notify_event_t* event);

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    std::unique_ptr<xcb_key_symbols_t, FreeKeySymbols> keySymbols_;
    xcb_window_t root_ = XCB_NONE;
    std::uint16_t numLockMask_ = 0;
    // Declared last so the grabs are released while the connection is open.
    std::vector<Registration> registrations_;
};

}  // namespace zn
