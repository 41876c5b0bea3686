// Reading the settings at start-up, hotkey registration, closing and the end
// of the session.
#include "tests/app/app_fixture.h"

namespace zn::testing {
namespace {

using Settings = AppFixture;
using Closing = AppFixture;

TEST_F(Settings, AFreshVaultKeyReadsAsTheDefaults) {
    storeVault({});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "installdir",
                      {RegType::String, std::string("/opt/zn") + '\0'});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "a",
                      {RegType::String, std::string("1") + '\0'});
    start();
    const auto& settings = form->settings();
    EXPECT_TRUE(settings.messages);
    EXPECT_FALSE(settings.autoHide);
    EXPECT_TRUE(settings.keepPass);
    EXPECT_TRUE(settings.showUser);
    EXPECT_EQ(settings.defBrowser, "");
    EXPECT_FALSE(tray.isEnabled());
    EXPECT_EQ(form->installFolder(), "/opt/zn");

    // Ctrl+Alt+P and Ctrl+Alt+B: key codes 0x50 and 0x42 with Ctrl + Alt = 3.
    ASSERT_EQ(hotkeys.calls.size(), 2u);
    EXPECT_EQ(hotkeys.calls[0].id, 0);
    EXPECT_EQ(hotkeys.calls[0].modifiers, 3u);
    EXPECT_EQ(hotkeys.calls[0].keyCode, 0x50u);
    EXPECT_EQ(hotkeys.calls[1].id, 1);
    EXPECT_EQ(hotkeys.calls[1].keyCode, 0x42u);
    // Reading creates nothing but the key itself.
    EXPECT_FALSE(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Messages"));
}

TEST_F(Settings, StoredValuesAndTheirReadingRules) {
    storeVault({});
    const auto put = [&](const char* name, RegValue value) {
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, name, std::move(value));
    };
    put("Messages", {RegType::String, std::string("0") + '\0'});  // not an integer: the default
    put("AutoHide", {RegType::Dword, encodeDwordData(7)});        // any non-zero is on
    put("KeepPass", {RegType::Dword, encodeDwordData(0)});
    put("ShowUser", {RegType::Binary, std::string(4, '\0')});
    put("Icon", {RegType::Dword, encodeDwordData(1)});
    put("DefBrowser", {RegType::String, std::string("/usr/bin/browser") + '\0'});
    put("ActivateKey", {RegType::String, std::string("alt+^shift+f5") + '\0'});
    put("FavoriteKey", {RegType::String, std::string("") + '\0'});  // empty: the default
    start();
    const auto& settings = form->settings();
    EXPECT_TRUE(settings.messages);
    EXPECT_TRUE(settings.autoHide);
    EXPECT_FALSE(settings.keepPass);
    EXPECT_TRUE(settings.showUser);
    EXPECT_EQ(settings.defBrowser, "/usr/bin/browser");
    EXPECT_TRUE(tray.isEnabled());
    ASSERT_EQ(hotkeys.calls.size(), 2u);
    EXPECT_EQ(hotkeys.calls[0].keyCode, 116u);  // F5
    EXPECT_EQ(hotkeys.calls[0].modifiers, 7u);
    EXPECT_EQ(hotkeys.calls[1].keyCode, 0x42u);
}

TEST_F(Settings, AShortcutTextOfAnotherTypeStopsTheStartUpWithItsMessage) {
    storeVault({});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "FavoriteKey",
                      {RegType::Dword, encodeDwordData(1)});
    start();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    EXPECT_EQ(messages.shown[0].text, "Invalid data type for 'FavoriteKey'.");
    EXPECT_EQ(hotkeys.calls.size(), 1u);  // the toggle hotkey was registered before it
    EXPECT_TRUE(timers.pending.empty());
}

TEST_F(Settings, ATrayTheDesktopRefusesIsSwitchedOffQuietly) {
    storeVault({});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Icon",
                      {RegType::Dword, encodeDwordData(1)});
    tray.refuse = true;
    start();
    EXPECT_FALSE(tray.isEnabled());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(timers.nextDelay(), kFirstViewDelayMs);
}

TEST_F(Closing, SavesFirstThenAsks) {
    storeVault({{"http://a.example", "", "", ""}});
    startUnlocked();
    form->list().add({"http://b.example", "", "", ""});
    messages.answer(MessageAnswer::No);
    EXPECT_FALSE(form->FormCloseQuery());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Confirm);
    EXPECT_EQ(messages.shown[0].text,
              "If you close Zintrel you will not be able to use it again until you restart the "
              "program.  Are you sure that you want to close Zintrel?");
    EXPECT_EQ(storedEntries().size(), 2u);

    messages.answer(MessageAnswer::Yes);
    EXPECT_TRUE(form->FormCloseQuery());
}

TEST_F(Closing, BeforeAnyUnlockNothingIsWritten) {
    storeVault({{"http://a.example", "", "", ""}});
    start();
    const int writes = registry.writeCount();
    messages.answer(MessageAnswer::Yes);
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(registry.writeCount(), writes);
    EXPECT_EQ(storedEntries().size(), 1u);
}

TEST_F(Closing, TheEndOfTheSessionClosesWithoutAskingAndStaysSo) {
    storeVault({});
    startUnlocked();
    form->list().add({"http://b.example", "", "", ""});
    form->QueryEndSession();
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(storedEntries().size(), 1u);
}

TEST_F(Closing, AFailedSaveKeepsTheWindowOpenUnlessTheSessionEnds) {
    storeVault({{"http://a.example", "", "", ""}});
    startUnlocked();
    form->list().add({"http://b.example", "", "", ""});
    registry.failWritesAfter(0);
    // As the window asks: it closes only on a true answer.
    bool mayClose = false;
    EXPECT_FALSE(form->dispatcher().run([&] { mayClose = form->FormCloseQuery(); }));
    EXPECT_FALSE(mayClose);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Failed to set data for 'Favorite0'.");
    registry.stopFailing();
    EXPECT_EQ(storedEntries().size(), 1u);  // the previous list, whole

    registry.failWritesAfter(0);
    form->QueryEndSession();
    EXPECT_TRUE(form->FormCloseQuery());
}

}  // namespace
}  // namespace zn::testing
