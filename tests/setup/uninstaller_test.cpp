// The uninstaller after a real installation into temporary folders.
#include "setup/uninstaller.h"

#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

constexpr const char* kRunKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class Uninstalling : public SetupTest {
protected:
    Uninstalling() {
        registry.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks", "Password",
                          {RegType::String, encodeStringData("verifier")});
        registry.setValue(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks",
                          "Favorite1", {RegType::String, encodeStringData("entry")});
        registry.setValue(RegRoot::CurrentUser, kRunKeyPath, "Bookmarks",
                          {RegType::String, encodeStringData("/opt/znvault /S")});
        messages.answer(MessageAnswer::No);  // keep the password at install
        reachInstallationScreen();
        install(true, true);
        messages.shown.clear();
    }

    void uninstall(MessageAnswer removeVault) {
        FakeMessageBoxes boxes;
        boxes.answer(MessageAnswer::Yes);
        boxes.answer(removeVault);
        Uninstaller uninstaller(registry, files, boxes, windows);
        uninstaller.run();
        shown = boxes.shown;
    }

    std::vector<zn::testing::ShownMessage> shown;
};

TEST_F(Uninstalling, RemovesWhatSetupMadeAndTheVaultOnlyWhenAsked) {
    for (const auto answer : {MessageAnswer::No, MessageAnswer::Yes}) {
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
        EXPECT_EQ(
            registry.keyExists(RegRoot::CurrentUser, "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks"),
            answer == MessageAnswer::No);
        EXPECT_EQ(registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Password").has_value(),
                  answer == MessageAnswer::No);
    }
}

TEST_F(Uninstalling, NamesEachThingItCouldNotRemove) {
    files.failingDeletions.insert(installedProgram());
    writeFile(group() / "mine.txt", "the user's own");
    uninstall(MessageAnswer::No);

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].kind, MessageKind::Warning);
    EXPECT_EQ(shown[2].text, std::string(kPartlyRemovedMessage) + "\r\rCould not remove the file " +
                                 installedProgram() + ".\rCould not remove the folder " +
                                 installFolder().string() +
                                 "; it may still hold files of your own.\rCould not remove the "
                                 "folder " +
                                 group().string() + "; it may still hold files of your own.");
    EXPECT_FALSE(files.exists((installFolder() / "readme.txt").string()));
}

TEST_F(Uninstalling, RemovesNothingWhileTheProgramRunsOrWhenTheUserSaysNo) {
    for (const bool running : {true, false}) {
        windows.running = running;
        FakeMessageBoxes boxes;
        boxes.answer(MessageAnswer::No);
        Uninstaller(registry, files, boxes, windows).run();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, running ? kStillRunningMessage : kUninstallQuestion);
        EXPECT_TRUE(files.exists(installedProgram()));
        EXPECT_TRUE(registry.keyExists(RegRoot::LocalMachine, kUninstallKeyPath));
    }
}

}  // namespace
}  // namespace zn::setup::testing
