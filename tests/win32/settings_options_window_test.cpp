// The native options window: the hotkey controls' values against the
// shortcut values, and what the window hands back to the logic as it ends.
#include <gtest/gtest.h>

#include "settings/win32/options_window.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"

namespace zn::testing {
namespace {

using win32::OptionsWindow;

TEST(HotkeyControlValue, CarriesKeyAndModifiersBothWays) {
    struct Case {
        ShortcutValue shortcut;
        WORD control;
    };
    const Case cases[] = {
        {0xC050, MAKEWORD('P', HOTKEYF_CONTROL | HOTKEYF_ALT)},
        {0x2000 | 'B', MAKEWORD('B', HOTKEYF_SHIFT)},
        {0xE000 | VK_F5, MAKEWORD(VK_F5, HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT)},
        // Navigation keys share their scan codes with the number pad's.
        {0xC000 | VK_INSERT, MAKEWORD(VK_INSERT, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT)},
        {0x8000 | VK_NUMPAD0, MAKEWORD(VK_NUMPAD0, HOTKEYF_ALT)},
        {0, 0},
    };
    for (const auto& [shortcut, control] : cases) {
        EXPECT_EQ(win32::hotkeyControlValue(shortcut), control) << std::hex << shortcut;
        EXPECT_EQ(win32::shortcutFromHotkeyControl(control), shortcut) << std::hex << control;
    }
    // Modifier flags without a key are no shortcut.
    EXPECT_EQ(win32::shortcutFromHotkeyControl(MAKEWORD(0, HOTKEYF_CONTROL)), 0);
}

TEST(HotkeyControlValue, KeepsAnUntouchedFieldAndRulesATypedOne) {
    struct Case {
        ShortcutValue shown;
        WORD control;
        ShortcutValue kept;
    };
    const Case cases[] = {
        // A stored combination the fields would not take stays as it was shown.
        {'P', MAKEWORD('P', 0), 'P'},
        {0xC050, MAKEWORD('Q', 0), 0xC000 | 'Q'},
        {0xC050, MAKEWORD('Q', HOTKEYF_SHIFT), 0xC000 | 'Q'},
        {0xC050, MAKEWORD('Q', HOTKEYF_SHIFT | HOTKEYF_ALT), 0xA000 | 'Q'},
        {0xC050, 0, 0},  // cleared
    };
    for (const auto& [shown, control, kept] : cases)
        EXPECT_EQ(win32::keptHotkey(shown, control), kept) << std::hex << control;
}

class OptionsWindowTest : public ::testing::Test {
protected:
    // Posts what the user does; it happens once the window runs.
    void post(int id, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        PostMessageA(window.item(id), message, wParam, lParam);
    }
    void press(int id) {
        PostMessageA(window.handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window.item(id)));
    }

    FakeRegistry registry;
    FakeMessageBoxes messages;
    FakeDialogs dialogs;
    HandlerDispatcher dispatcher{messages};
    TwOptions logic{registry, dialogs, messages};
    OptionsWindow window{logic, dispatcher, nullptr};
};

TEST_F(OptionsWindowTest, OkHandsTheControlsBackAndButtonsGoThroughTheLogic) {
    logic.HotKey1 = 0xC050;
    logic.HotKey2 = 0xC042;
    logic.messagesBox = true;
    logic.browserField = "C:\\old.exe";
    dialogs.chosenProgram = "C:\\chosen.exe";
    dialogs.typePasswords({"new-password", "new-password"});

    post(OptionsWindow::messagesBox, BM_SETCHECK, BST_UNCHECKED);
    post(OptionsWindow::keepPassBox, BM_SETCHECK, BST_CHECKED);
    // A key typed alone into the second field takes Ctrl+Alt, as the field's rule says.
    post(OptionsWindow::HotKey2, WM_KEYDOWN, 'K', 1);
    post(OptionsWindow::HotKey2, WM_KEYUP, 'K', 0xC0000001);
    press(OptionsWindow::browseButton);
    press(OptionsWindow::changePasswordButton);
    press(OptionsWindow::okButton);

    EXPECT_TRUE(window.run(nullptr));
    EXPECT_EQ(logic.HotKey1, 0xC050);
    EXPECT_EQ(logic.HotKey2, 0xC000 | 'K');
    EXPECT_FALSE(logic.messagesBox);
    EXPECT_TRUE(logic.keepPassBox);
    EXPECT_EQ(dialogs.chooseProgramStartedAt, std::vector<std::string>{"C:\\old.exe"});
    EXPECT_EQ(logic.browserField, "C:\\chosen.exe");
    EXPECT_EQ(logic.pendingPassword(), "new-password");
}

TEST_F(OptionsWindowTest, OnlyOkEndsWithOkAndEveryEndKeepsTheBrowserField) {
    struct Ending {
        const char* name;
        std::function<void()> end;
        bool ok;
    };
    const Ending endings[] = {
        {"OK", [&] { press(OptionsWindow::okButton); }, true},
        {"Enter", [&] { post(OptionsWindow::browserField, WM_KEYDOWN, VK_RETURN); }, true},
        {"Esc", [&] { post(OptionsWindow::browserField, WM_KEYDOWN, VK_ESCAPE); }, false},
        {"close box", [&] { PostMessageA(window.handle(), WM_CLOSE, 0, 0); }, false},
    };
    for (const auto& [name, end, ok] : endings) {
        logic.browserField = "before";
        post(OptionsWindow::browserField, EM_SETSEL, 0, -1);
        for (const char typed : std::string("typed"))
            post(OptionsWindow::browserField, WM_CHAR, typed);
        end();
        EXPECT_EQ(window.run(nullptr), ok) << name;
        EXPECT_EQ(logic.browserField, "typed") << name;
    }
}

}  // namespace
}  // namespace zn::testing
