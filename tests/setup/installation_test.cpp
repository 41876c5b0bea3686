// The installation behind Install: folders, files, shortcuts and registry
// values, on real temporary folders.
#include "setup/installation.h"

#include <algorithm>

#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

using Installation = SetupTest;

const char* const kDistribution[] = {"znvault", "znhelp.htm", "readme.txt", "unzn", "file_id.diz"};

TEST_F(Installation, InstallsTwoLevelsBelowAnExistingFolderAndEmptiesTheSource) {
    reachInstallationScreen();
    install(true, true);

    ASSERT_TRUE(program.installationScreen.completionPanelShown);
    EXPECT_NE(std::find(screens.calls.begin(), screens.calls.end(), "notice"), screens.calls.end());
    EXPECT_EQ(readFile(installFolder() / "znvault"), "new znvault");
    EXPECT_EQ(readFile(installFolder() / "znhelp.htm"), "new znhelp.htm");
    EXPECT_EQ(readFile(installFolder() / "readme.txt"), "new readme.txt");
    EXPECT_EQ(readFile(temp / "home/.local/bin/unzn"), "new unzn");
    for (const char* name : kDistribution)
        EXPECT_FALSE(files.exists(source(name).string())) << name;
    EXPECT_EQ(vaultValue("installdir"), installFolder().string());
    EXPECT_EQ(vaultValue("a"), "1");
    const std::string uninstallKey = kUninstallKeyPath;
    EXPECT_EQ(decodeStringData(
                  registry.value(RegRoot::LocalMachine, uninstallKey, "UninstallString")->data),
              (temp / "home/.local/bin/unzn").string());
    // The program links carry their final name; the others keep theirs.
    EXPECT_TRUE(files.exists((desktop() / "Zintrel.desktop").string()));
    EXPECT_FALSE(files.exists((desktop() / "znvault.desktop").string()));
    for (const char* link : {"Zintrel", "znhelp", "ReadMe", "Uninstall"})
        EXPECT_TRUE(files.exists((group() / (std::string(link) + ".desktop")).string())) << link;
    EXPECT_NE(readFile(group() / "Zintrel.desktop").find("Name=Zintrel\n"), std::string::npos);
    EXPECT_NE(readFile(group() / "ReadMe.desktop").find("xdg-open"), std::string::npos);
}

TEST_F(Installation, ReplacesAnEarlierProgramAndItsShortcut) {
    writeFile(installFolder() / "znvault", "old znvault");
    writeFile(group() / "Zintrel.desktop", "[Desktop Entry]\nName=Zintrel\nExec=/old/znvault\n");
    reachInstallationScreen();
    install(false, true);

    EXPECT_EQ(readFile(installFolder() / "znvault"), "new znvault");
    EXPECT_NE(readFile(group() / "Zintrel.desktop").find(installFolder().string()),
              std::string::npos);
    EXPECT_FALSE(files.exists((group() / "znvault.desktop").string()));
}

TEST_F(Installation, WithoutShortcutsStillRenamesTheEarlierLinkAndDropsTheMisspeltGroupsLink) {
    writeFile(desktop() / "znvault.desktop", "[Desktop Entry]\nName=znvault\nExec=/x\n");
    writeFile(startMenu() / "programs/Zintrol/Zintrel.desktop", "[Desktop Entry]\n");
    reachInstallationScreen();
    install(false, false);

    EXPECT_FALSE(files.exists((desktop() / "znvault.desktop").string()));
    EXPECT_NE(readFile(desktop() / "Zintrel.desktop").find("Name=Zintrel\n"), std::string::npos);
    EXPECT_FALSE(files.exists((startMenu() / "programs/Zintrol/Zintrel.desktop").string()));
    EXPECT_TRUE(files.exists((startMenu() / "programs/Zintrol").string()));
    EXPECT_FALSE(files.exists(group().string()));
}

TEST_F(Installation, AFailedProgramCopyShowsTheErrorAndEndsWithNothingAfterIt) {
    files.failingCopies.insert((installFolder() / "znvault").string());
    reachInstallationScreen();
    install(true, true);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kInstallErrorMessage);
    EXPECT_TRUE(messages.shown[0].plain);
    EXPECT_EQ(screens.calls.back(), "terminate");
    EXPECT_FALSE(program.installationScreen.completionPanelShown);
    // What came before the copy stays; nothing after it happened.
    EXPECT_EQ(vaultValue("installdir"), installFolder().string());
    EXPECT_TRUE(files.exists(installFolder().string()));
    for (const char* name : kDistribution) EXPECT_TRUE(files.exists(source(name).string())) << name;
    EXPECT_FALSE(files.exists((desktop() / "Zintrel.desktop").string()));
    EXPECT_FALSE(files.exists(group().string()));
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
}

TEST_F(Installation, AFileWhoseCopyFailedStaysInTheSourceFolder) {
    files.failingCopies.insert((installFolder() / "znhelp.htm").string());
    reachInstallationScreen();
    install(false, false);

    EXPECT_TRUE(program.installationScreen.completionPanelShown);
    EXPECT_TRUE(files.exists(source("znhelp.htm").string()));
    EXPECT_FALSE(files.exists(source("readme.txt").string()));
}

TEST_F(Installation, InstallingIntoTheSourceFolderKeepsTheFilesItInstalls) {
    reachInstallationScreen();
    TForm1& screen = program.installationScreen;
    screen.folderField = (temp / "dist").string();
    program.dispatcher.run([&] { screen.BitBtn3Click(); });

    EXPECT_TRUE(screen.completionPanelShown);
    for (const char* name : {"znvault", "znhelp.htm", "readme.txt"})
        EXPECT_EQ(readFile(source(name)), std::string("new ") + name);
    EXPECT_FALSE(files.exists(source("unzn").string()));
    EXPECT_FALSE(files.exists(source("file_id.diz").string()));
}

TEST_F(Installation, AStoredPasswordIsDroppedOnlyWhenTheUserAsksForANewOne) {
    for (const auto answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        FakeRegistry store;
        store.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks", "Password",
                       {RegType::String, encodeStringData("verifier")});
        store.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks", "Icon",
                       {RegType::Dword, encodeDwordData(1)});
        store.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks",
                       "Favorite1", {RegType::String, encodeStringData("entry")});
        FakeMessageBoxes boxes;
        boxes.answer(answer);
        setup::Installation installation({store, files, links, boxes});
        installation.installFolder = "/opt/z";
        installation.rewritereg();

        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, MessageKind::Confirm);
        EXPECT_EQ(boxes.shown[0].text, kNewPasswordQuestion);
        EXPECT_EQ(store.value(RegRoot::CurrentUser, kVaultKeyPath, "Password").has_value(),
                  answer == MessageAnswer::No);
        EXPECT_EQ(store.valueNames(RegRoot::CurrentUser, kVaultKeyPath).size(),
                  answer == MessageAnswer::Yes ? 3u : 4u);
        EXPECT_TRUE(store.value(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks",
                                "Favorite1"));
    }
}

TEST_F(Installation, AnErrorInTheSequenceStopsItAndLeavesInstallUsable) {
    links.refuse = true;
    reachInstallationScreen();
    install(true, false);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    EXPECT_EQ(messages.shown[0].text, "Shortcuts cannot be made.");
    const TForm1& screen = program.installationScreen;
    EXPECT_FALSE(screen.completionPanelShown);
    EXPECT_FALSE(screen.installingNoticeShown);
    EXPECT_FALSE(screen.ended());
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
}

TEST(LinkNames, DropTheExtensionOfTheTarget) {
    EXPECT_EQ(linkNameFor("/opt/z/znvault"), "znvault.desktop");
    EXPECT_EQ(linkNameFor("/opt/z/znhelp.htm"), "znhelp.desktop");
    EXPECT_EQ(linkNameFor("/opt/z.d/readme.txt"), "readme.desktop");
}

}  // namespace
}  // namespace zn::setup::testing
