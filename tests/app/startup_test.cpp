// Start-up, first run, locking and the two panels.
#include "tests/app/app_fixture.h"

namespace zn::testing {
namespace {

using StartUp = AppFixture;

TEST_F(StartUp, FirstRunStoresTheVerifierTheSampleRowAndAutostart) {
    dialogs.typePasswords({"secret1", "secret2"});  // do not match
    dialogs.typePasswords({"abc", "abc"});          // too short
    dialogs.typePasswords({"secret", "secret"});
    start();

    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "The passwords that you entered do not match.  Please try again.");
    EXPECT_EQ(messages.shown[1].text,
              "The passwords that you entered must be atleast 5 characters.  Please try again.");
    EXPECT_EQ(dialogs.aboutBoxes, 1);

    EXPECT_TRUE(isProtectedText(storedPassword()));
    EXPECT_TRUE(unlockVault(storedPassword(), "secret"));
    EXPECT_EQ(
        decodeStringData(registry.value(RegRoot::CurrentUser, kRunKeyPath, "Bookmarks")->data),
        std::string(kProgramPath) + " /S");
    EXPECT_EQ(storedEntries("secret"),
              (std::vector<BookmarkEntry>{{kSampleSite, kSampleDescription, "", ""}}));
    EXPECT_TRUE(form->listLoaded());
    EXPECT_FALSE(form->unlocked());

    // About a second later the list panel shows, without asking for the password.
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(timers.nextDelay(), kFirstViewDelayMs);
    timers.fireNext();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.panel, Panel::List);
    EXPECT_EQ(view.caption, "Zintrel");
    EXPECT_EQ(view.width, 631 + 15);
    EXPECT_EQ(view.height, 319 + 32);
    EXPECT_EQ(view.left, 1024 / 2 - 631 / 2);
    EXPECT_EQ(view.top, 768 / 2 - 319 / 2);
}

TEST_F(StartUp, FirstRunRefusesEveryCloseUntilAPasswordIsSet) {
    dialogs.typePasswords({"", "", false});  // the window manager's close
    dialogs.typePasswords({"secret", "secret"});
    start();
    EXPECT_EQ(dialogs.passwordDialogs, 1);
    EXPECT_TRUE(isProtectedText(storedPassword()));
    EXPECT_TRUE(unlockVault(storedPassword(), "secret"));
    EXPECT_EQ(dialogs.aboutBoxes, 1);
}

TEST_F(StartUp, HiddenStartShowsNothingUntilCalled) {
    storeVault({{"http://a.example", "", "", ""}});
    start({"/s"});
    EXPECT_TRUE(timers.pending.empty());
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(view.minimized);

    form->WMHotkey(0);
    EXPECT_TRUE(view.visible);
    EXPECT_FALSE(view.minimized);
    EXPECT_EQ(view.panel, Panel::Lock);
    form->WMHotkey(0);
    EXPECT_FALSE(view.visible);
}

TEST_F(StartUp, NormalStartShowsTheCentredLockPanelAfterASecond) {
    storeVault({});
    start({"/other"});
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(timers.nextDelay(), kFirstViewDelayMs);
    view.passwordField = "left over";
    timers.fireNext();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.panel, Panel::Lock);
    EXPECT_EQ(view.caption, "Enter Password");
    EXPECT_EQ(view.passwordField, "");
    EXPECT_TRUE(view.passwordFocused);
    EXPECT_EQ(view.left, 512 - 92);  // halves rounded toward zero
    EXPECT_EQ(view.top, 384 - 48);
    EXPECT_EQ(view.width, 185 + 12);
    EXPECT_EQ(view.height, 97 + 32);
}

TEST_F(StartUp, OnlyTheRightPasswordUnlocks) {
    storeVault({{"http://b.example", "B", "bob", "pw"}, {"http://a.example", "A", "", ""}});
    start();
    timers.fireNext();

    view.passwordField = "wrong password";
    form->UnlockClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[0].text, "You have entered an invalid password.");
    EXPECT_EQ(view.passwordField, "wrong password");
    EXPECT_EQ(view.panel, Panel::Lock);
    EXPECT_TRUE(form->list().empty());

    view.passwordField = kMasterPassword;
    form->UnlockClick();
    EXPECT_TRUE(form->unlocked());
    EXPECT_EQ(view.panel, Panel::List);
    EXPECT_EQ(siteColumn(), (std::vector<std::string>{"http://a.example", "http://b.example"}));
    EXPECT_EQ(form->list().at(1), (BookmarkEntry{"http://b.example", "B", "bob", "pw"}));
}

TEST_F(StartUp, EntriesAreReadOnlyAtTheFirstUnlock) {
    storeVault({{"http://a.example", "", "", ""}});
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "KeepPass",
                      {RegType::Dword, encodeDwordData(0)});
    startUnlocked();
    saveAllEntries(registry, *form->entryKey(), {}, {});  // changed behind the program's back
    form->HideWindow();
    form->ShowWindow();
    view.passwordField = kMasterPassword;
    form->UnlockClick();
    EXPECT_EQ(siteColumn(), (std::vector<std::string>{"http://a.example"}));
}

TEST_F(StartUp, KeepPassDecidesWhetherShowingAsksAgain) {
    storeVault({});
    startUnlocked();
    form->HideWindow();
    EXPECT_FALSE(view.visible);
    form->ShowWindow();
    EXPECT_EQ(view.panel, Panel::List);

    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "KeepPass",
                      {RegType::Dword, encodeDwordData(0)});
    startUnlocked();
    form->HideWindow();
    form->ShowWindow();
    EXPECT_EQ(view.panel, Panel::Lock);
    EXPECT_EQ(view.passwordField, "");
}

TEST_F(StartUp, MinimisingHidesTheWindow) {
    storeVault({});
    startUnlocked();
    form->ApplicationMinimize();
    EXPECT_FALSE(view.visible);
}

TEST_F(StartUp, AStoppedLoadShowsTheRowsSoFarAndLosesNothing) {
    storeVault({{"http://a.example", "", "", ""}, {"http://c.example", "", "", ""}});
    const std::string foreign = Encipher("http://x|||&&&@@@", MakeVerifier("other")) + '\0';
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1",
                      {RegType::String, foreign});
    startUnlocked();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You have entered an invalid password.");
    EXPECT_EQ(siteColumn(), (std::vector<std::string>{"http://a.example"}));
    EXPECT_EQ(view.panel, Panel::List);

    form->list().add({"http://b.example", "", "", ""});
    form->saveAllEntries();
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2")->data, foreign);
    EXPECT_EQ(registry.valueNames(RegRoot::CurrentUser, kEntriesKeyPath).size(), 3u);
}

TEST_F(StartUp, ANonTextEntryIsTheStoresErrorNotAWrongPasswordAndIsKept) {
    storeVault({{"http://a.example", "", "", ""}, {"http://b.example", "", "", ""}});
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1",
                      {RegType::Dword, encodeDwordData(7)});
    start();
    timers.fireNext();
    view.passwordField = kMasterPassword;
    EXPECT_FALSE(form->dispatcher().run([&] { form->UnlockClick(); }));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    EXPECT_EQ(messages.shown[0].text, "Invalid data type for 'Favorite1'.");

    messages.answer(MessageAnswer::Yes);
    EXPECT_TRUE(form->FormCloseQuery());
    const auto kept = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->type, RegType::Dword);
    EXPECT_EQ(registry.valueNames(RegRoot::CurrentUser, kEntriesKeyPath).size(), 2u);
}

TEST_F(StartUp, ALoadThatFailsNeitherShowsNorSavesAnEmptyList) {
    storeVault({{"http://a.example", "", "", ""}, {"http://b.example", "", "", ""}});
    start();
    timers.fireNext();
    view.passwordField = kMasterPassword;
    registry.failReads = true;
    EXPECT_FALSE(form->dispatcher().run([&] { form->UnlockClick(); }));
    registry.failReads = false;
    EXPECT_EQ(view.panel, Panel::Lock);
    EXPECT_FALSE(form->listLoaded());

    // Closing now must not write the empty list over the stored one.
    messages.answer(MessageAnswer::Yes);
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(storedEntries(kMasterPassword).size(), 2u);

    // The next unlock reads the list after all.
    form->UnlockClick();
    EXPECT_EQ(siteColumn().size(), 2u);
}

TEST_F(StartUp, AnOldVaultIsProtectedAfterTheConfirmBoxAndKeepsWhatItCouldNotRead) {
    const std::vector<BookmarkEntry> entries = {{"http://a.example", "A", "ann", "pw1"},
                                                {"http://b.example", "B", "bob", "pw2"}};
    storeOldVault(entries);
    const RegValue unreadable{RegType::String, Encipher("http://x|||&&&@@@", "other") + '\0'};
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2", unreadable);
    view.passwordField = "wrong password";
    start();
    timers.fireNext();
    form->UnlockClick();  // an old vault still refuses a wrong password
    view.passwordField = kMasterPassword;
    messages.answer(MessageAnswer::Yes);
    form->UnlockClick();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1].text, kInvalidPasswordMessage);  // the unreadable value
    EXPECT_EQ(messages.shown[2].kind, MessageKind::Confirm);
    EXPECT_EQ(messages.shown[2].text, kProtectQuestion);

    EXPECT_TRUE(isProtectedText(storedPassword()));
    EXPECT_EQ(form->verifier(), storedPassword());
    EXPECT_EQ(storedEntries(kMasterPassword), entries);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2"), unreadable);

    // The next run opens it with the same password and asks nothing more.
    messages.shown.clear();
    startUnlocked();
    EXPECT_EQ(form->list().entries(), entries);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kInvalidPasswordMessage);
}

TEST_F(StartUp, AnOldVaultWhoseUserDeclinesStaysOldAndIsNotAskedAgain) {
    const std::vector<BookmarkEntry> entries = {{"http://a.example", "A", "ann", "pw1"}};
    storeOldVault(entries);
    messages.answer(MessageAnswer::No);
    startUnlocked();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kProtectQuestion);
    EXPECT_EQ(storedPassword(), MakeVerifier(kMasterPassword));
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kVaultKeyPath, kKeepOldFormatValue)->data,
              encodeDwordData(1));

    form->list().add({"http://b.example", "", "", ""});
    form->saveAllEntries();
    messages.shown.clear();
    startUnlocked();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->list().size(), 2u);
    EXPECT_EQ(loadAllEntries(registry, MakeVerifier(kMasterPassword)).entries.size(), 2u);
}

}  // namespace
}  // namespace zn::testing
