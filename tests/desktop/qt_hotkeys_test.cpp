// The Qt side of the hotkeys: the key conversion, the options dialog's
// hotkey field driven by key events offscreen, and the delivery of presses
// into the event loop.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "platform/linux/x11_hotkeys.h"
#include "platform/linux/x11_keyboard_layout.h"
#include "platform/qt/hotkey_pump.h"
#include "platform/qt/key_sequence.h"
#include "settings/qt/hotkey_field.h"
#include "tests/desktop/xvfb_server.h"
#include "tests/fakes/qt_application_test.h"

namespace zn {
namespace {

TEST(KeySequence, ConvertsBothWays) {
    const std::vector<std::pair<QKeyCombination, ShortcutValue>> cases = {
        {Qt::ControlModifier | Qt::AltModifier | Qt::Key_P, 0xC050},
        {Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_F5, 0x6074},
        {QKeyCombination(Qt::Key_F24), 0x0087},
        {QKeyCombination(Qt::Key_0), 0x0030},
        {Qt::KeypadModifier | Qt::ControlModifier | Qt::Key_5, 0x4065},
        {Qt::AltModifier | Qt::Key_Backspace, 0x8008},
        {QKeyCombination(Qt::Key_PageDown), 0x0022},
        {QKeyCombination(Qt::Key_Delete), 0x002E},
        {Qt::ControlModifier | Qt::Key_Semicolon, 0x40BA},
        {QKeyCombination(Qt::Key_QuoteLeft), 0x00C0},
        {QKeyCombination(Qt::Key_Apostrophe), 0x00DE},
    };
    for (const auto& [combination, value] : cases) {
        EXPECT_EQ(shortcutFromKeyCombination(combination), value) << value;
        EXPECT_EQ(keyCombinationFromShortcut(value), combination) << value;
    }
    EXPECT_EQ(keyCombinationFromShortcut(0xC013).key(), Qt::Key(0));
}

TEST(KeySequence, ReadsWhatShiftAndNumLockMakeOfAKey) {
    const auto shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    EXPECT_EQ(shortcutFromKeyCombination(shiftCtrl | Qt::Key_Exclam), 0x6031);
    EXPECT_EQ(shortcutFromKeyCombination(shiftCtrl | Qt::Key_Colon), 0x60BA);
    EXPECT_EQ(shortcutFromKeyCombination(shiftCtrl | Qt::Key_Backtab), 0x6009);
    EXPECT_EQ(shortcutFromKeyCombination(Qt::KeypadModifier | Qt::Key_Enter), 0);
    EXPECT_EQ(shortcutFromKeyCombination(QKeyCombination(Qt::Key_Enter)), 0x000D);
    // NumLock off: the keypad's 1 arrives as End.
    EXPECT_EQ(shortcutFromKeyCombination(Qt::KeypadModifier | Qt::AltModifier | Qt::Key_End),
              0x8061);
    // A colon without Shift is some other layout's own key.
    EXPECT_EQ(shortcutFromKeyCombination(Qt::ControlModifier | Qt::Key_Colon), 0);
    EXPECT_EQ(shortcutFromKeyCombination(Qt::KeypadModifier | Qt::Key_Minus), 0);
    EXPECT_EQ(shortcutFromKeyCombination(Qt::ControlModifier | Qt::Key_Print), 0);
}

class HotkeyFieldTest : public testing::QtApplicationTest {
protected:
    // Returns whether the field took the key.
    bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&field_, &event);
        return event.isAccepted();
    }

    X11KeyboardLayout layout_;
    HotkeyField field_{layout_};
};

TEST_F(HotkeyFieldTest, TakesCombinationsWithCtrlOrAlt) {
    press(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(field_.value(), 0xC050);
    EXPECT_EQ(field_.text(), "Ctrl+Alt+P");

    press(Qt::Key_F5, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(field_.value(), 0x6074);
    EXPECT_EQ(field_.text(), "Shift+Ctrl+F5");

    press(Qt::Key_Semicolon, Qt::AltModifier);
    EXPECT_EQ(field_.text(), "Alt+;");
}

TEST_F(HotkeyFieldTest, PutsCtrlAltInPlaceOfNoModifierOrShiftAlone) {
    press(Qt::Key_P);
    EXPECT_EQ(field_.value(), 0xC050);
    field_.setValue(0);
    press(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_EQ(field_.value(), 0xC050);
}

TEST_F(HotkeyFieldTest, BackspaceOrDeleteClearsTheField) {
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) {
        field_.setValue(0xC050);
        press(key);
        EXPECT_EQ(field_.value(), 0);
        EXPECT_EQ(field_.text(), "");
    }
    // With a modifier they are keys like any other.
    press(Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(field_.value(), 0xC02E);
}

TEST_F(HotkeyFieldTest, KeepsItsValueForKeysNoHotkeyCanHold) {
    field_.setValue(0xC042);
    press(Qt::Key_Control, Qt::ControlModifier);
    press(Qt::Key_Print, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(field_.value(), 0xC042);
    // Plain Enter and Esc belong to the dialog's buttons.
    EXPECT_FALSE(press(Qt::Key_Escape));
    EXPECT_FALSE(press(Qt::Key_Return));
    EXPECT_EQ(field_.value(), 0xC042);
    EXPECT_EQ(field_.text(), "Ctrl+Alt+B");
}

TEST_F(HotkeyFieldTest, TakesCombinationsBeforeTheWindowsShortcuts) {
    QWidget window;
    QAction action(&window);
    action.setShortcut(QKeySequence(Qt::ControlModifier | Qt::AltModifier | Qt::Key_P));
    window.addAction(&action);
    bool actionTriggered = false;
    QObject::connect(&action, &QAction::triggered, [&] { actionTriggered = true; });
    HotkeyField field(layout_, &window);
    window.show();
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&field, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(field.value(), 0xC050);
    EXPECT_FALSE(actionTriggered);
}

using HotkeyPumpTest = testing::QtApplicationTest;

TEST_F(HotkeyPumpTest, BringsPressesIntoTheEventLoop) {
    const testing::XvfbServer server;
    X11Hotkeys hotkeys(server.display().c_str());
    ASSERT_TRUE(hotkeys.registerHotkey(kCaptureHotkeyId, kModControl | kModAlt, 'B'));
    std::vector<int> pressed;
    HotkeyPump pump(hotkeys, [&](int id) { pressed.push_back(id); });

    ASSERT_TRUE(server.xdotool({"key", "ctrl+alt+b"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pressed.empty(); }, 3000));
    EXPECT_EQ(pressed, std::vector<int>{kCaptureHotkeyId});
}

}  // namespace
}  // namespace zn
