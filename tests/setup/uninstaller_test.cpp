// The uninstaller after a real installation into temporary folders.
#include "setup/uninstaller.h"

#include <set>
#include <tuple>

#include "tests/fakes/fake_instance_channel.h"
#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

constexpr const char* kRunKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A registry whose deletions of chosen keys do nothing and say so only by
// their answer, as the Windows registry's calls did when nobody checked them.
class StubbornRegistry : public FakeRegistry {
public:
    std::set<std::string> undeletable;
    bool deleteKey(RegRoot root, const std::string& path) override {
        return !undeletable.count(path) && FakeRegistry::deleteKey(root, path);
    }
};

class UninstallTest : public SetupTest {
protected:
    UninstallTest() {
        registry.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks", "Password",
                          {RegType::String, encodeStringData("verifier")});
        registry.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks",
                          "Favorite1", {RegType::String, encodeStringData("entry")});
        registry.setValue(RegRoot::CurrentUser, kRunKeyPath, "Bookmarks",
                          {RegType::String, encodeStringData("/opt/znvault /S")});
        reachInstallationScreen();
    }

    // Another Install from a fresh distribution folder, keeping the password.
    void installAgain(const std::filesystem::path& folder, bool desktopBox, bool startMenuBox) {
        for (const auto& name : distribution())
            writeFile(temp / "dist" / name, std::string("new ") + name);
        messages.answer(MessageAnswer::No);
        installInto(folder, desktopBox, startMenuBox);
        messages.shown.clear();
    }

    void uninstall(MessageAnswer removeVault, Registry& store) {
        FakeMessageBoxes boxes;
        boxes.answer(MessageAnswer::Yes);
        boxes.answer(removeVault);
        Uninstaller uninstaller(store, files, boxes, windows);
        uninstaller.run();
        shown = boxes.shown;
    }
    void uninstall(MessageAnswer removeVault) { uninstall(removeVault, registry); }

    std::vector<zn::testing::ShownMessage> shown;
};

class Uninstalling : public UninstallTest {
protected:
    Uninstalling() { installAgain(installFolder(), true, true); }
};

// A fresh installation for each answer, so that neither pass checks what the
// other one already removed; and once more as a setup that kept no record of
// what it made left it.
class UninstallingEitherWay
    : public Uninstalling,
      public ::testing::WithParamInterface<std::tuple<MessageAnswer, bool>> {};

TEST_P(UninstallingEitherWay, RemovesWhatSetupMadeAndTheVaultOnlyWhenAsked) {
    const auto [answer, recorded] = GetParam();
    if (!recorded)
        registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, false)->deleteValue("installed");
    uninstall(answer);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, kRemoveVaultQuestion);
    EXPECT_EQ(shown[2].text, kRemovedMessage);
    EXPECT_FALSE(files.exists(installFolder().string()));
    EXPECT_FALSE(files.exists(installedUninstaller()));
    EXPECT_FALSE(files.exists((desktop() / linkFile("Zintrel")).string()));
    EXPECT_FALSE(files.exists(group().string()));
    EXPECT_FALSE(files.exists((startMenu() / "programs").string()));
    EXPECT_FALSE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
    EXPECT_FALSE(registry.value(RegRoot::CurrentUser, kRunKeyPath, "Bookmarks"));
    EXPECT_EQ(registry.keyExists(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks"),
              answer == MessageAnswer::No);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Password").has_value(),
              answer == MessageAnswer::No);
    EXPECT_FALSE(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "installed"));
}

INSTANTIATE_TEST_SUITE_P(KeepingOrRemovingTheVault, UninstallingEitherWay,
                         ::testing::Combine(::testing::Values(MessageAnswer::No,
                                                              MessageAnswer::Yes),
                                            ::testing::Bool()));

TEST_F(Uninstalling, RemovesEveryInstallOfAnyVersionAndAFailedOne) {
    // The first installation as a setup that kept no record left it.
    registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, false)->deleteValue("installed");
    const auto second = temp / "home" / "apps" / "B";
    const auto failed = temp / "home" / "tools" / "C";
    installAgain(second, false, false);
    files.failingCopies.insert(native(failed / programFileName()));
    installAgain(failed, false, false);
    ASSERT_TRUE(files.exists(failed.string()));

    uninstall(MessageAnswer::No);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text, kRemovedMessage);
    // The folder above the first one is all the older setup's record lacks.
    for (const auto& made :
         {installFolder(), second, second.parent_path(), failed, failed.parent_path(), group()})
        EXPECT_FALSE(files.exists(made.string())) << made.string();
    EXPECT_FALSE(files.exists(installedUninstaller()));
}

TEST_F(UninstallTest, LeavesWhatSetupDidNotMake) {
    // The user's own link, and a folder that was there, empty, before setup.
    writeFile(desktop() / linkFile("Zintrel"), "the user's own");
    const auto existing = temp / "home" / "empty";
    std::filesystem::create_directories(existing);
    installAgain(existing, false, true);

    uninstall(MessageAnswer::No);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text, kRemovedMessage);
    EXPECT_EQ(readFile(desktop() / linkFile("Zintrel")), "the user's own");
    EXPECT_TRUE(std::filesystem::is_empty(existing));
    EXPECT_FALSE(files.exists(group().string()));
}

TEST_F(UninstallTest, NeverReportsAKeyItCouldNotDeleteAsRemoved) {
    StubbornRegistry stubborn;
    stubborn.setValue(RegRoot::LocalMachine, kUninstallKeyPath, "Displayname",
                      {RegType::String, encodeStringData("Zintrel")});
    stubborn.undeletable.insert(kUninstallKeyPath);
    uninstall(MessageAnswer::No, stubborn);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text,
              std::string(kPartlyRemovedMessage) + "\r\rCould not remove the uninstall entry.");
}

TEST_F(Uninstalling, NamesEachThingItCouldNotRemove) {
    files.failingDeletions.insert(installedProgram());
    writeFile(group() / "mine.txt", "the user's own");
    uninstall(MessageAnswer::No);

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].kind, MessageKind::Warning);
    // Folders go last made first.
    EXPECT_EQ(shown[2].text,
              std::string(kPartlyRemovedMessage) + "\r\rCould not remove the file " +
                  installedProgram() + ".\rCould not remove the folder " + group().string() +
                  "; it may still hold files of your own.\rCould not remove the "
                  "folder " +
                  installFolder().string() + "; it may still hold files of your own.");
    EXPECT_FALSE(files.exists((installFolder() / "readme.txt").string()));
}

TEST_F(Uninstalling, RemovesNothingWhileTheProgramRunsOrWhenTheUserSaysNo) {
    for (const auto& [titled, answers] : {std::pair{true, false}, {false, true}, {false, false}}) {
        const bool running = titled || answers;
        windows.running = titled;
        zn::testing::FakeInstanceChannel runningCopy;
        if (answers) runningCopy.result = HandOverResult::Delivered;
        FakeMessageBoxes boxes;
        boxes.answer(MessageAnswer::No);
        Uninstaller(registry, files, boxes, windows, &runningCopy).run();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, running ? kStillRunningMessage : kUninstallQuestion);
        EXPECT_TRUE(files.exists(installedProgram()));
        EXPECT_TRUE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
    }
}

}  // namespace
}  // namespace zn::setup::testing
