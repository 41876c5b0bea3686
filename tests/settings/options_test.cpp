// The options dialog: what it shows, the order and effect of its apply,
// browser detection and the password change.
#include "settings/options_dialog.h"
#include "tests/app/app_fixture.h"

namespace zn::testing {
namespace {

using Options = AppFixture;

constexpr ShortcutValue kCtrlAltP = 0xC050;
constexpr ShortcutValue kCtrlAltB = 0xC042;

std::string storedText(FakeRegistry& registry, const char* path, const char* name) {
    const auto value = registry.value(RegRoot::CurrentUser, path, name);
    return value ? decodeStringData(value->data) : std::string("<missing>");
}

TEST_F(Options, AFreshVaultShowsTheDefaults) {
    storeVault({});
    startUnlocked();
    form->BitBtn6Click();
    ASSERT_EQ(dialogs.shownOptions.size(), 1u);
    const TwOptions& shown = dialogs.shownOptions[0];
    EXPECT_FALSE(shown.autostartBox);
    EXPECT_TRUE(shown.messagesBox);
    EXPECT_FALSE(shown.autoHideBox);
    EXPECT_FALSE(shown.iconBox);
    EXPECT_TRUE(shown.keepPassBox);
    EXPECT_TRUE(shown.showUserBox);
    EXPECT_EQ(shown.HotKey1, kCtrlAltP);
    EXPECT_EQ(shown.HotKey2, kCtrlAltB);
    EXPECT_EQ(shown.browserField, "");
}

TEST_F(Options, CancelWritesNothing) {
    storeVault({});
    startUnlocked();
    const int writes = registry.writeCount();
    dialogs.useOptions({[](TwOptions& d) { d.messagesBox = false; }, false});
    form->BitBtn6Click();
    EXPECT_EQ(registry.writeCount(), writes);
    EXPECT_TRUE(form->settings().messages);
}

TEST_F(Options, OkWithoutChangesWritesEveryValueAndRegistersNothing) {
    storeVault({});
    startUnlocked();
    const std::string header = storedPassword();
    const auto hotkeyCallsAtStart = hotkeys.calls.size();
    dialogs.useOptions({});
    form->BitBtn6Click();
    EXPECT_EQ(hotkeys.calls.size(), hotkeyCallsAtStart);
    EXPECT_EQ(registry.valueNames(RegRoot::CurrentUser, kVaultKeyPath),
              (std::vector<std::string>{"Password", "ActivateKey", "FavoriteKey", "DefBrowser",
                                        "Messages", "AutoHide", "Icon", "KeepPass", "ShowUser"}));
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "ActivateKey"), "Ctrl+Alt+P");
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "FavoriteKey"), "Ctrl+Alt+B");
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "DefBrowser"), "");
    const auto keepPass = registry.value(RegRoot::CurrentUser, kVaultKeyPath, "KeepPass");
    EXPECT_EQ(keepPass->type, RegType::Dword);
    EXPECT_EQ(keepPass->data, encodeDwordData(1));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Icon")->data,
              encodeDwordData(0));
    EXPECT_EQ(storedPassword(), header);
}

TEST_F(Options, OnlyTheChangedHotkeyIsRegisteredAgain) {
    storeVault({});
    startUnlocked();
    hotkeys.calls.clear();
    dialogs.useOptions({[](TwOptions& d) { d.HotKey2 = 0xC000 | 'K'; }});
    form->BitBtn6Click();
    ASSERT_EQ(hotkeys.calls.size(), 2u);
    EXPECT_FALSE(hotkeys.calls[0].registered);
    EXPECT_EQ(hotkeys.calls[0].id, 1);
    EXPECT_TRUE(hotkeys.calls[1].registered);
    EXPECT_EQ(hotkeys.calls[1].id, 1);
    EXPECT_EQ(hotkeys.calls[1].keyCode, unsigned('K'));
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "FavoriteKey"), "Ctrl+Alt+K");
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "ActivateKey"), "Ctrl+Alt+P");
}

TEST_F(Options, AStoredTextInAnotherSpellingCountsAsChanged) {
    storeVault({});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "ActivateKey",
                      {RegType::String, std::string("alt+CTRL+p") + '\0'});
    startUnlocked();
    hotkeys.calls.clear();
    dialogs.useOptions({});
    form->BitBtn6Click();
    ASSERT_EQ(hotkeys.calls.size(), 2u);
    EXPECT_EQ(hotkeys.calls[1].id, 0);
    EXPECT_EQ(hotkeys.calls[1].keyCode, 0x50u);
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "ActivateKey"), "Ctrl+Alt+P");
}

TEST_F(Options, AMessagesValueStoredAsTextShowsChecked) {
    storeVault({});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Messages",
                      {RegType::String, std::string("0") + '\0'});
    startUnlocked();
    form->BitBtn6Click();
    EXPECT_TRUE(dialogs.shownOptions.at(0).messagesBox);
}

TEST(Flags, OnlyAMissingValueOrAnotherTypeGivesTheDefaultAndAFailedReadRaises) {
    FakeRegistry registry;
    auto key = registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, true);
    const struct {
        RegValue stored;
        bool read;
    } cases[] = {{{RegType::Dword, encodeDwordData(0)}, false},
                 {{RegType::Dword, encodeDwordData(0x100)}, true},
                 {{RegType::Binary, encodeDwordData(0)}, true},
                 {{RegType::Dword, std::string(2, '\0')}, true}};
    for (const auto& [stored, read] : cases) {
        key->writeValue("Flag", stored);
        EXPECT_EQ(readFlag(*key, "Flag", true), read);
    }
    EXPECT_FALSE(readFlag(*key, "Missing", false));
    registry.failReads = true;
    EXPECT_THROW(readFlag(*key, "Flag", true), RegistryError);
}

TEST_F(Options, AutostartIsWrittenWithTheProgramAndDeletedWhenCleared) {
    storeVault({});
    startUnlocked();
    dialogs.useOptions({[](TwOptions& d) { d.autostartBox = true; }});
    form->BitBtn6Click();
    EXPECT_EQ(storedText(registry, kRunKeyPath, "Bookmarks"), std::string(kProgramPath) + " /S");

    form->BitBtn6Click();  // the dialog shows what is stored: no script, so Cancel
    EXPECT_TRUE(dialogs.shownOptions.at(1).autostartBox);

    dialogs.useOptions({[](TwOptions& d) { d.autostartBox = false; }});
    form->BitBtn6Click();
    EXPECT_FALSE(registry.value(RegRoot::CurrentUser, kRunKeyPath, "Bookmarks"));
}

TEST_F(Options, SettingsTakeEffectInMemory) {
    storeVault({});
    startUnlocked();
    dialogs.useOptions({[](TwOptions& d) {
        d.messagesBox = false;
        d.autoHideBox = true;
        d.keepPassBox = false;
        d.showUserBox = false;
        d.iconBox = true;
        d.browserField = "/usr/bin/web browser";
    }});
    form->BitBtn6Click();
    EXPECT_FALSE(form->settings().messages);
    EXPECT_TRUE(form->settings().autoHide);
    EXPECT_FALSE(form->settings().keepPass);
    EXPECT_FALSE(form->settings().showUser);
    EXPECT_TRUE(tray.isEnabled());
    EXPECT_EQ(form->settings().defBrowser, "/usr/bin/web browser");
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "DefBrowser"), "/usr/bin/web browser");
}

TEST_F(Options, AFailingWriteStopsTheApplyAndKeepsWhatCameBefore) {
    storeVault({});
    startUnlocked();
    // Autostart, ActivateKey and FavoriteKey land; DefBrowser fails.
    registry.failWritesAfter(3);
    dialogs.useOptions({[](TwOptions& d) {
        d.autostartBox = true;
        d.HotKey1 = 0xC000 | 'Q';
        d.messagesBox = false;
    }});
    EXPECT_FALSE(form->dispatcher().run([&] { form->BitBtn6Click(); }));
    registry.stopFailing();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Failed to set data for 'DefBrowser'.");
    EXPECT_EQ(storedText(registry, kVaultKeyPath, "ActivateKey"), "Ctrl+Alt+Q");
    EXPECT_FALSE(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Messages"));
    EXPECT_TRUE(form->settings().messages);
}

TEST_F(Options, ARefusedTrayIconIsReportedButLaterSettingsApply) {
    storeVault({});
    startUnlocked();
    tray.refuse = true;
    dialogs.useOptions({[](TwOptions& d) {
        d.iconBox = true;
        d.keepPassBox = false;
    }});
    EXPECT_FALSE(form->dispatcher().run([&] { form->BitBtn6Click(); }));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Cannot create shell notification Icon.");
    EXPECT_FALSE(form->settings().keepPass);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Icon")->data,
              encodeDwordData(1));
}

TEST_F(Options, StoredBrowserIsShownAtEveryOpeningAnEmptyOneKeepsTheField) {
    storeVault({});
    startUnlocked();
    dialogs.useOptions({[](TwOptions& d) { d.browserField = "/opt/browser"; }, false});
    form->BitBtn6Click();  // cancelled: DefBrowser stays empty
    form->BitBtn6Click();
    EXPECT_EQ(dialogs.shownOptions.at(1).browserField, "/opt/browser");

    dialogs.useOptions({[](TwOptions& d) { d.browserField = "/usr/bin/chosen"; }});
    form->BitBtn6Click();
    dialogs.useOptions({[](TwOptions& d) { d.browserField = "typed but cancelled"; }, false});
    form->BitBtn6Click();
    form->BitBtn6Click();
    EXPECT_EQ(dialogs.shownOptions.at(4).browserField, "/usr/bin/chosen");
}

TEST_F(Options, BrowseReplacesTheFieldWithTheChosenProgram) {
    storeVault({});
    startUnlocked();
    form->options().browserField = "/usr/bin/old";
    dialogs.chosenProgram = std::nullopt;
    form->options().BrowseClick();
    EXPECT_EQ(form->options().browserField, "/usr/bin/old");
    dialogs.chosenProgram = "/usr/bin/new browser";
    form->options().BrowseClick();
    EXPECT_EQ(form->options().browserField, "/usr/bin/new browser");
    EXPECT_EQ(dialogs.chooseProgramStartedAt,
              (std::vector<std::string>{"/usr/bin/old", "/usr/bin/old"}));
}

TEST(BrowserDetection, TidiesTheThreeShapesOfWebPageCommand) {
    EXPECT_EQ(tidyBrowserCommand("\"C:\\Program Files\\Web\\browser.exe\" -url \"%1\""),
              "C:\\Program Files\\Web\\browser.exe");
    EXPECT_EQ(tidyBrowserCommand("C:\\WEB\\Browser.Exe -nohome"), "C:\\WEB\\Browser.Exe ");
    EXPECT_EQ(tidyBrowserCommand("\"/usr/bin/web %u\""), "/usr/bin/web %u");
    EXPECT_EQ(tidyBrowserCommand("\""), "");
    EXPECT_EQ(tidyBrowserCommand("C:\\web.exe"), "C:\\web.exe");
}

TEST_F(Options, DetectionPrefersTheStoredBrowserThenTheSystemCommand) {
    registry.setValue(RegRoot::ClassesRoot, kWebPageCommandKeyPath, "",
                      {RegType::String, std::string("\"C:\\W\\web.exe\" \"%1\"") + '\0'});
    storeVault({});
    start();
    EXPECT_EQ(form->options().browserField, "C:\\W\\web.exe");

    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "DefBrowser",
                      {RegType::String, std::string("/usr/bin/stored") + '\0'});
    start();
    EXPECT_EQ(form->options().browserField, "/usr/bin/stored");
}

TEST_F(Options, ThePasswordDialogRefusesACloseOnlyAfterARefusedOk) {
    storeVault({});
    startUnlocked();
    dialogs.typePasswords({"abc", "abc"});        // refused: too short
    dialogs.typePasswords({"", "", false});       // the close is refused too
    dialogs.typePasswords({"secret", "secret"});  // accepted
    dialogs.useOptions({[](TwOptions& d) { d.ChangePasswordClick(); }});
    form->BitBtn6Click();
    EXPECT_TRUE(unlockVault(form->verifier(), "secret"));
}

TEST_F(Options, ChangePasswordThenCancelChangesNothingUntilTheNextOk) {
    storeVault({{"http://a.example", "A", "ann", "pw"}, {"http://b.example", "", "", ""}});
    startUnlocked();
    dialogs.typePasswords({"new-password", "new-password"});
    dialogs.useOptions({[](TwOptions& d) { d.ChangePasswordClick(); }, false});
    form->BitBtn6Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "New password successfully entered. Click the OK button on the options screen to "
              "activate new password.");
    EXPECT_TRUE(unlockVault(form->verifier(), kMasterPassword));
    EXPECT_EQ(storedEntries().size(), 2u);

    dialogs.useOptions({});
    form->BitBtn6Click();
    EXPECT_TRUE(unlockVault(form->verifier(), "new-password"));
    EXPECT_EQ(storedPassword(), form->verifier());
    // Once applied, the typed text is gone, yet every later OK writes the
    // vault under the new password again, without deriving its key anew.
    EXPECT_TRUE(form->options().pendingPassword().empty());
    const std::string header = storedPassword();
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password", {RegType::String, "x"});
    dialogs.useOptions({});
    form->BitBtn6Click();
    EXPECT_EQ(storedPassword(), header);

    // The session ends with no further change; the next start reads every
    // entry under the new password and refuses the old one.
    form->QueryEndSession();
    EXPECT_TRUE(form->FormCloseQuery());
    start();
    timers.fireNext();
    view.passwordField = kMasterPassword;
    form->UnlockClick();
    EXPECT_FALSE(form->unlocked());
    view.passwordField = "new-password";
    form->UnlockClick();
    EXPECT_TRUE(form->unlocked());
    EXPECT_EQ(form->list().entries(),
              (std::vector<BookmarkEntry>{{"http://a.example", "A", "ann", "pw"},
                                          {"http://b.example", "", "", ""}}));
}

TEST_F(Options, APasswordChangeAfterAStoppedLoadMovesEveryEntryOfOursToTheNewPassword) {
    storeVault({{"http://a.example", "", "", ""},
                {"http://b.example", "", "", ""},
                {"http://c.example", "C", "", ""}});
    const std::string foreign = Encipher("http://x|||&&&@@@", MakeVerifier("other")) + '\0';
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1",
                      {RegType::String, foreign});
    startUnlocked();  // stops at Favorite1 and keeps it and Favorite2 unread
    dialogs.typePasswords({"new-password", "new-password"});
    dialogs.useOptions({[](TwOptions& d) { d.ChangePasswordClick(); }});
    form->BitBtn6Click();

    const auto stored = [&](const char* name) {
        return decodeStringData(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, name)->data);
    };
    EXPECT_EQ(stored("Favorite1") + '\0', foreign);
    std::string record;
    EXPECT_TRUE(unlockVault(storedPassword(), "new-password")->open(stored("Favorite2"), record));
    EXPECT_EQ(record, "http://c.example|||C&&&@@@");
}

TEST_F(Options, APasswordChangeThatFailsKeepsTheOldPasswordAndEntriesTogether) {
    storeVault({{"http://a.example", "", "", ""}, {"http://b.example", "", "", ""}});
    startUnlocked();
    const std::string header = storedPassword();
    dialogs.typePasswords({"new-password", "new-password"});
    dialogs.useOptions({[](TwOptions& d) { d.ChangePasswordClick(); }});
    registry.failWritesAfter(2);  // the header and one entry, then nothing
    EXPECT_FALSE(form->dispatcher().run([&] { form->BitBtn6Click(); }));
    registry.stopFailing();
    EXPECT_EQ(form->verifier(), header);
    EXPECT_EQ(storedPassword(), header);
    EXPECT_EQ(storedEntries(kMasterPassword).size(), 2u);
    // The program goes on with the old key: its next save still reads.
    form->saveAllEntries();
    EXPECT_EQ(storedEntries(kMasterPassword).size(), 2u);
}

}  // namespace
}  // namespace zn::testing
