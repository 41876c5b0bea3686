#include "platform/linux/x11_hotkeys.h"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/linux/virtual_keys.h"

namespace zn {
namespace {

struct FreeWithFree {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, FreeWithFree>;

// X modifier bits mask more than the keyboard's modifiers (the pointer
// buttons too); these are the eight key modifiers.
constexpr std::uint16_t kKeyModifierBits = 0xFF;

std::optional<std::uint16_t> xModifiers(unsigned registrationModifiers) {
    constexpr unsigned kKnown = kModShift | kModControl | kModAlt;
    if (registrationModifiers & ~kKnown) return std::nullopt;
    std::uint16_t mask = 0;
    if (registrationModifiers & kModShift) mask |= XCB_MOD_MASK_SHIFT;
    if (registrationModifiers & kModControl) mask |= XCB_MOD_MASK_CONTROL;
    // Alt is Mod1 in the standard keymaps.
    if (registrationModifiers & kModAlt) mask |= XCB_MOD_MASK_1;
    return mask;
}

xcb_window_t rootWindow(xcb_connection_t* connection, int screenNumber) {
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
        if (i == screenNumber) return screens.data->root;
    }
    return XCB_NONE;
}

}  // namespace

std::uint16_t numLockModifierMask(xcb_connection_t* connection) {
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(connection), &xcb_key_symbols_free);
    if (!symbols) return 0;
    MallocPtr<xcb_keycode_t> numLockKeycodes(
        xcb_key_symbols_get_keycode(symbols.get(), XK_Num_Lock));
    MallocPtr<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!numLockKeycodes || !mapping) return 0;

    const xcb_keycode_t* modifierKeycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int slot = 0; slot < perModifier; ++slot) {
            const xcb_keycode_t keycode = modifierKeycodes[modifier * perModifier + slot];
            if (keycode == XCB_NO_SYMBOL) continue;
            for (const xcb_keycode_t* numLock = numLockKeycodes.get(); *numLock != XCB_NO_SYMBOL;
                 ++numLock) {
                if (*numLock == keycode) return std::uint16_t(1u << modifier);
            }
        }
    }
    return 0;
}

KeyGrab::~KeyGrab() {
    if (connection_) xcb_ungrab_key(connection_, keycode_, window_, modifiers_);
}

KeyGrab::KeyGrab(KeyGrab&& other) noexcept
    : connection_(other.connection_),
      window_(other.window_),
      keycode_(other.keycode_),
      modifiers_(other.modifiers_) {
    other.connection_ = nullptr;
}

X11Hotkeys::X11Hotkeys(const char* displayName) {
    int screenNumber = 0;
    connection_.reset(xcb_connect(displayName, &screenNumber));
    if (xcb_connection_has_error(connection_.get())) {
        connection_.reset();
        return;
    }
    root_ = rootWindow(connection_.get(), screenNumber);
    keySymbols_.reset(xcb_key_symbols_alloc(connection_.get()));
    if (root_ == XCB_NONE || !keySymbols_) {
        keySymbols_.reset();
        connection_.reset();
        return;
    }
    numLockMask_ = numLockModifierMask(connection_.get());
}

X11Hotkeys::~X11Hotkeys() {
    registrations_.clear();
    if (connection_) xcb_flush(connection_.get());
}

std::vector<std::uint16_t> X11Hotkeys::lockVariants(std::uint16_t modifiers) const {
    std::vector<std::uint16_t> variants;
    for (std::uint16_t locks : {std::uint16_t(0), numLockMask_, std::uint16_t(XCB_MOD_MASK_LOCK),
                                std::uint16_t(numLockMask_ | XCB_MOD_MASK_LOCK)}) {
        const std::uint16_t variant = modifiers | locks;
        if (std::find(variants.begin(), variants.end(), variant) == variants.end())
            variants.push_back(variant);
    }
    return variants;
}

std::optional<xcb_keycode_t> X11Hotkeys::keycodeFor(unsigned virtualKey) const {
    const Keysym keysym = keysymForVirtualKey(virtualKey);
    if (keysym == kNoKeysym) return std::nullopt;
    MallocPtr<xcb_keycode_t> keycodes(xcb_key_symbols_get_keycode(keySymbols_.get(), keysym));
    if (!keycodes || keycodes.get()[0] == XCB_NO_SYMBOL) return std::nullopt;
    return keycodes.get()[0];
}

std::optional<std::vector<KeyGrab>> X11Hotkeys::grabWithLockVariants(xcb_keycode_t keycode,
                                                                     std::uint16_t modifiers) {
    xcb_connection_t* connection = connection_.get();
    const std::vector<std::uint16_t> variants = lockVariants(modifiers);
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t variant : variants) {
        cookies.push_back(xcb_grab_key_checked(connection, 1, root_, variant, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    std::vector<KeyGrab> grabs;
    bool allGrabbed = true;
    for (std::size_t i = 0; i < variants.size(); ++i) {
        // Usually BadAccess: another client holds this variant.
        MallocPtr<xcb_generic_error_t> error(xcb_request_check(connection, cookies[i]));
        if (error) {
            allGrabbed = false;
        } else {
            grabs.emplace_back(connection, root_, keycode, variants[i]);
        }
    }
    if (allGrabbed) return grabs;
    grabs.clear();  // now, so that the flush sends the ungrabs
    xcb_flush(connection);
    return std::nullopt;
}

bool X11Hotkeys::registerHotkey(int id, unsigned modifiers, unsigned keyCode) {
    if (!isConnected()) return false;
    const auto mask = xModifiers(modifiers);
    const auto keycode = keycodeFor(keyCode);
    if (!mask || !keycode) return false;
    // Our own grabs of one combination never conflict in X, but the system
    // refuses a combination twice, so the second would never fire.
    for (const Registration& existing : registrations_) {
        if (existing.keycode == *keycode && existing.modifiers == *mask) return false;
    }
    auto grabs = grabWithLockVariants(*keycode, *mask);
    if (!grabs) return false;
    registrations_.push_back(
        {id, keyCode, modifiers, *keycode, *mask, numLockMask_, std::move(*grabs)});
    return true;
}

void X11Hotkeys::unregisterHotkey(int id) {
    const auto removed = std::erase_if(
        registrations_, [id](const Registration& registration) { return registration.id == id; });
    if (removed > 0 && connection_) xcb_flush(connection_.get());
}

int X11Hotkeys::fileDescriptor() const {
    return connection_ ? xcb_get_file_descriptor(connection_.get()) : -1;
}

bool X11Hotkeys::isConnected() const {
    return connection_ && !xcb_connection_has_error(connection_.get());
}

const X11Hotkeys::Registration* X11Hotkeys::registrationPressed(
    const xcb_key_press_event_t& press) const {
    const std::uint16_t modifiers =
        press.state & kKeyModifierBits & ~(numLockMask_ | XCB_MOD_MASK_LOCK);
    for (const Registration& registration : registrations_) {
        if (registration.keycode == press.detail && registration.modifiers == modifiers)
            return &registration;
    }
    return nullptr;
}

void X11Hotkeys::refreshKeyboardMapping(xcb_mapping_notify_event_t* event) {
    if (event->request == XCB_MAPPING_POINTER) return;
    xcb_refresh_keyboard_mapping(keySymbols_.get(), event);
    numLockMask_ = numLockModifierMask(connection_.get());

    // A hotkey names a key, not a keycode: follow each key to wherever the
    // new mapping put it. One that cannot be grabbed again is lost silently,
    // like any refused registration.
    std::vector<Registration> previous = std::move(registrations_);
    registrations_.clear();
    for (Registration& registration : previous) {
        if (keycodeFor(registration.virtualKey) == registration.keycode &&
            registration.numLockMask == numLockMask_) {
            registrations_.push_back(std::move(registration));
            continue;
        }
        registration.grabs.clear();
        registerHotkey(registration.id, registration.registrationModifiers,
                       registration.virtualKey);
    }
    xcb_flush(connection_.get());
}

void X11Hotkeys::dispatchPending(const std::function<void(int id)>& onHotkey) {
    if (!connection_) return;
    while (MallocPtr<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
        switch (event->response_type & ~0x80) {
            case XCB_KEY_PRESS:
                if (const Registration* pressed = registrationPressed(
                        *reinterpret_cast<xcb_key_press_event_t*>(event.get()))) {
                    // Copied out: the handler may unregister, or open a dialog
                    // whose event loop lands here again.
                    const int id = pressed->id;
                    onHotkey(id);
                }
                break;
            case XCB_MAPPING_NOTIFY:
                refreshKeyboardMapping(reinterpret_cast<xcb_mapping_notify_event_t*>(event.get()));
                break;
            default:
                // Releases, and errors of ungrab requests nobody waits for.
                break;
        }
    }
}

}  // namespace zn
