// The installation behind Install: folders, files, shortcuts and registry
// values, on real temporary folders.
#include "setup/installation.h"

#include <algorithm>

#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

using Installation = SetupTest;

TEST_F(Installation, InstallsTwoLevelsBelowAnExistingFolderAndEmptiesTheSource) {
    reachInstallationScreen();
    install(true, true);

    ASSERT_TRUE(program.installationScreen.completionPanelShown);
    EXPECT_NE(std::find(screens.calls.begin(), screens.calls.end(), "notice"), screens.calls.end());
    for (const std::string& name :
         {programFileName(), std::string("znhelp.htm"), std::string("readme.txt")})
        EXPECT_EQ(readFile(installFolder() / name), "new " + name);
    EXPECT_EQ(readFile(installedUninstaller()), "new " + uninstallerName());
    for (const auto& name : distribution())
        EXPECT_FALSE(files.exists(source(name).string())) << name;
    EXPECT_EQ(vaultValue("installdir"), installFolder().string());
    EXPECT_EQ(vaultValue("a"), "1");
    const std::string uninstallKey = kUninstallKeyPath;
    EXPECT_EQ(decodeStringData(
                  registry.value(RegRoot::LocalMachine, uninstallKey, "UninstallString")->data),
              installedUninstaller());
    // The program links carry their final name; the others keep theirs.
    EXPECT_EQ(linkTarget(desktop() / linkFile("Zintrel")), installedProgram());
    EXPECT_FALSE(files.exists((desktop() / linkFile("znvault")).string()));
    const struct {
        const char* link;
        std::string target;
    } links[] = {{"Zintrel", installedProgram()},
                 {"znhelp", native(installFolder() / "znhelp.htm")},
                 {"ReadMe", native(installFolder() / "readme.txt")},
                 {"Uninstall", installedUninstaller()}};
    for (const auto& link : links)
        EXPECT_EQ(linkTarget(group() / linkFile(link.link)), link.target) << link.link;
}

TEST_F(Installation, ReplacesAnEarlierProgramAndItsShortcut) {
    writeFile(installFolder() / programFileName(), "old znvault");
    std::filesystem::create_directories(group());
    links.createLink(native(temp / "old" / programFileName()),
                     native(group() / linkFile("Zintrel")));
    reachInstallationScreen();
    install(false, true);

    EXPECT_EQ(readFile(installedProgram()), "new " + programFileName());
    EXPECT_EQ(linkTarget(group() / linkFile("Zintrel")), installedProgram());
    EXPECT_FALSE(files.exists((group() / linkFile("znvault")).string()));
}

TEST_F(Installation, WithoutShortcutsStillRenamesTheEarlierLinkAndDropsTheMisspeltGroupsLink) {
    const std::string earlier = native(temp / "old" / programFileName());
    links.createLink(earlier, native(desktop() / linkFile("znvault")));
    const auto misspelt = startMenu() / "programs" / "Zintrol";
    writeFile(misspelt / linkFile("Zintrel"), "an old link");
    reachInstallationScreen();
    install(false, false);

    EXPECT_FALSE(files.exists((desktop() / linkFile("znvault")).string()));
    EXPECT_EQ(linkTarget(desktop() / linkFile("Zintrel")), earlier);
    EXPECT_FALSE(files.exists((misspelt / linkFile("Zintrel")).string()));
    EXPECT_TRUE(files.exists(misspelt.string()));
    EXPECT_FALSE(files.exists(group().string()));
}

TEST_F(Installation, AFailedProgramCopyShowsTheErrorAndEndsWithNothingAfterIt) {
    files.failingCopies.insert(installedProgram());
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
    for (const auto& name : distribution())
        EXPECT_TRUE(files.exists(source(name).string())) << name;
    EXPECT_FALSE(files.exists((desktop() / linkFile("Zintrel")).string()));
    EXPECT_FALSE(files.exists(group().string()));
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
}

TEST_F(Installation, AFileWhoseCopyFailedStaysInTheSourceFolder) {
    files.failingCopies.insert(native(installFolder() / "znhelp.htm"));
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
    for (const std::string& name :
         {programFileName(), std::string("znhelp.htm"), std::string("readme.txt")})
        EXPECT_EQ(readFile(source(name)), "new " + name);
    EXPECT_FALSE(files.exists(source(uninstallerName()).string()));
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

TEST_F(Installation, AKeyThatCannotBeMadeFailsItsFirstValueOrReadsAsEmpty) {
    const struct {
        const char* key;
        std::string error;  // none: the install goes on
    } cases[] = {
        {kVaultKeyPath, "Failed to set data for 'installdir'."},
        {kUninstallKeyPath, "Failed to set data for 'Displayname'."},
        {kShellFoldersKeyPath, ""},
    };
    for (const auto& refused : cases) {
        FakeMessageBoxes boxes;
        TestRegistry store;
        store.uncreatable.insert(refused.key);
        setup::Installation installation({store, files, links, boxes});
        installation.installFolder = installFolder().string();
        try {
            installation.rewritereg();
            installation.getshellfolders();
            installation.uninstallsetup();
            EXPECT_EQ(refused.error, "") << refused.key;
        } catch (const RegistryError& failure) {
            EXPECT_EQ(withFullStop(failure.what()), refused.error) << refused.key;
        }
    }
}

// The desktop folder missing; or missing and impossible to make, under a file.
class MissingDesktop : public SetupTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MissingDesktop, IsMadeOrItsFailureSaid) {
    const bool blocked = GetParam();
    std::filesystem::remove_all(desktop());
    std::string folder = desktop().string();
    if (blocked) {
        writeFile(temp / "home" / "plain file", "");
        folder = native(temp / "home" / "plain file" / "Desktop");
        registry.openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, false)
            ->writeString("Desktop", folder);
    }
    reachInstallationScreen();
    install(true, false);

    EXPECT_TRUE(program.installationScreen.completionPanelShown);
    const std::string link = native(std::filesystem::path(folder) / linkFile("Zintrel"));
    if (blocked) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, kNoDesktopFolderMessage + folder + ".");
        EXPECT_TRUE(links.trusted.empty());
    } else {
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(linkTarget(link), installedProgram());
        EXPECT_EQ(links.trusted, std::vector<std::string>{link});
    }
}

INSTANTIATE_TEST_SUITE_P(CreatableOrNot, MissingDesktop, ::testing::Bool());

TEST(LinkNames, DropTheExtensionOfTheTarget) {
    EXPECT_EQ(linkNameFor(native("/opt/z/" + programFileName())), linkFile("znvault"));
    EXPECT_EQ(linkNameFor(native("/opt/z/znhelp.htm")), linkFile("znhelp"));
    EXPECT_EQ(linkNameFor(native("/opt/z.d/readme.txt")), linkFile("readme"));
}

}  // namespace
}  // namespace zn::setup::testing
