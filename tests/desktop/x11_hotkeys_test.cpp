// The X11 hotkeys against a real server: each test starts its own Xvfb and
// presses keys through xdotool (XTEST), as a user at the keyboard would.
#include "platform/linux/x11_hotkeys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "desktop/shortcut_text.h"
#include "platform/linux/x11_keyboard_layout.h"
#include "tests/desktop/xvfb_server.h"

namespace zn {
namespace {

using namespace std::chrono_literals;
using testing::XvfbServer;

// The first hotkey id delivered within the time limit.
std::optional<int> firstPressWithin(X11Hotkeys& hotkeys, std::chrono::milliseconds limit) {
    std::optional<int> pressed;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        hotkeys.dispatchPending([&](int id) {
            if (!pressed) pressed = id;
        });
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (pressed || left <= 0ms) return pressed;
        pollfd readable{hotkeys.fileDescriptor(), POLLIN, 0};
        poll(&readable, 1, int(left.count()));
    }
}

// Another client of the same display, to hold grabs and read the key state.
class OtherClient {
public:
    explicit OtherClient(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        keycodeOfP_ = keycodeOf(XK_p);
    }
    ~OtherClient() { xcb_disconnect(connection_); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    bool grabP(std::uint16_t modifiers) {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, modifiers, keycodeOfP_,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        free(error);
        return error == nullptr;
    }
    bool numLockIsOn() {
        xcb_query_pointer_reply_t* pointer =
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
        const bool on = pointer && (pointer->mask & numLockModifierMask(connection_));
        free(pointer);
        return on;
    }

    // As a user switching to a layout with P and Q exchanged would.
    void exchangeKeysPAndQ() {
        const xcb_keycode_t keycodeOfQ = keycodeOf(XK_q);
        auto* p = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, keycodeOfP_, 1), nullptr);
        auto* q = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, keycodeOfQ, 1), nullptr);
        xcb_change_keyboard_mapping(connection_, 1, keycodeOfP_, q->keysyms_per_keycode,
                                    xcb_get_keyboard_mapping_keysyms(q));
        xcb_change_keyboard_mapping(connection_, 1, keycodeOfQ, p->keysyms_per_keycode,
                                    xcb_get_keyboard_mapping_keysyms(p));
        free(p);
        free(q);
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

private:
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym) {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
        xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t keycode = keycodes[0];
        free(keycodes);
        xcb_key_symbols_free(symbols);
        return keycode;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_keycode_t keycodeOfP_;
};

constexpr unsigned kCtrlAlt = kModControl | kModAlt;

class X11HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.emplace();
        hotkeys_.emplace(server_->display().c_str());
        ASSERT_NE(hotkeys_->fileDescriptor(), -1);
    }

    std::optional<XvfbServer> server_;
    std::optional<X11Hotkeys> hotkeys_;
};

TEST_F(X11HotkeysTest, DeliversEachPressAsItsHotkeyId) {
    ASSERT_TRUE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    ASSERT_TRUE(hotkeys_->registerHotkey(kCaptureHotkeyId, kCtrlAlt, 'B'));

    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+b"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kCaptureHotkeyId);
    // Other modifiers are another combination.
    ASSERT_TRUE(server_->xdotool({"key", "ctrl+p", "shift+ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 300ms), std::nullopt);
}

TEST_F(X11HotkeysTest, FiresWithNumLockAndCapsLockOn) {
    ASSERT_TRUE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    OtherClient observer(server_->display());
    ASSERT_FALSE(observer.numLockIsOn());
    ASSERT_TRUE(server_->xdotool({"key", "Num_Lock"}));
    ASSERT_TRUE(observer.numLockIsOn());

    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
    ASSERT_TRUE(server_->xdotool({"key", "Caps_Lock", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
}

TEST_F(X11HotkeysTest, SecondClientIsRefusedAndFirstKeepsTheHotkey) {
    ASSERT_TRUE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    X11Hotkeys secondCopy(server_->display().c_str());
    EXPECT_FALSE(secondCopy.registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));

    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
    EXPECT_EQ(firstPressWithin(secondCopy, 100ms), std::nullopt);

    // Released by the first, the combination is free for the second.
    hotkeys_->unregisterHotkey(kToggleHotkeyId);
    EXPECT_TRUE(secondCopy.registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
}

TEST_F(X11HotkeysTest, RefusedRegistrationLeavesNoGrabBehind) {
    OtherClient holder(server_->display());
    const std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    // Only the NumLock variant is taken; the plain one would succeed.
    ASSERT_TRUE(holder.grabP(ctrlAlt | XCB_MOD_MASK_2));
    EXPECT_FALSE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));

    OtherClient another(server_->display());
    EXPECT_TRUE(another.grabP(ctrlAlt));
    EXPECT_TRUE(another.grabP(ctrlAlt | XCB_MOD_MASK_LOCK));
}

TEST_F(X11HotkeysTest, RefusesOneCombinationForTwoIdsAndKeysItCannotGrab) {
    ASSERT_TRUE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    EXPECT_FALSE(hotkeys_->registerHotkey(kCaptureHotkeyId, kCtrlAlt, 'P'));
    EXPECT_FALSE(hotkeys_->registerHotkey(kCaptureHotkeyId, kCtrlAlt, 0));
    EXPECT_FALSE(hotkeys_->registerHotkey(kCaptureHotkeyId, kCtrlAlt, 0x13));

    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
}

TEST_F(X11HotkeysTest, FollowsItsKeyToANewKeyboardMapping) {
    ASSERT_TRUE(hotkeys_->registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    OtherClient(server_->display()).exchangeKeysPAndQ();
    EXPECT_EQ(firstPressWithin(*hotkeys_, 300ms), std::nullopt);  // takes in the new mapping

    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+q"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 300ms), std::nullopt);
    ASSERT_TRUE(server_->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_EQ(firstPressWithin(*hotkeys_, 3s), kToggleHotkeyId);
}

TEST(X11HotkeysWithoutDisplay, RegistersNothingAndDoesNotCrash) {
    X11Hotkeys hotkeys(":4093");
    EXPECT_EQ(hotkeys.fileDescriptor(), -1);
    EXPECT_FALSE(hotkeys.isConnected());
    EXPECT_FALSE(hotkeys.registerHotkey(kToggleHotkeyId, kCtrlAlt, 'P'));
    hotkeys.unregisterHotkey(kToggleHotkeyId);
    hotkeys.dispatchPending([](int) { FAIL(); });
}

TEST(X11KeyboardLayout, NamesPunctuationKeysByTheirUsCharacter) {
    const X11KeyboardLayout layout;
    EXPECT_EQ(layout.keyName(0xBA), ";");
    EXPECT_EQ(layout.keyName(0xC0), "`");
    EXPECT_EQ(layout.keyName(0xDC), "\\");
    EXPECT_EQ(layout.keyName(0xDE), "'");
    EXPECT_EQ(layout.keyName(0x13), "");  // no keysym
    EXPECT_EQ(layout.keyName(0x60), "");  // KP_0 has no character
    EXPECT_EQ(ShortCutToText(0xC0BD, layout), "Ctrl+Alt+-");
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+/", layout), 0x60BF);
}

}  // namespace
}  // namespace zn
