// The setup windows' flow through scripted screens: the timers that chain
// them, the licence, the chooser's proposal and the completion panel.
#include "setup/setup_windows.h"

#include <algorithm>

#include "tests/fakes/fake_instance_channel.h"
#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

using SetupFlow = SetupTest;
using Calls = std::vector<std::string>;

TEST_F(SetupFlow, WarnsOnceWhenTheProgramRunsAndGoesOn) {
    // Its window is seen, or (on Wayland, where no title is) its socket answers.
    for (const auto& [titled, answers] : {std::pair{false, false}, {true, false}, {false, true}}) {
        const bool running = titled || answers;
        FakeMessageBoxes boxes;
        FakeWindows found;
        found.running = titled;
        zn::testing::FakeInstanceChannel runningCopy;
        if (answers) runningCopy.result = HandOverResult::Delivered;
        ManualTimers clock;
        SetupProgram setup(SetupServices{registry, files, links, boxes, shell, clock, found,
                                         screens, &runningCopy});
        setup.create();
        ASSERT_EQ(boxes.shown.size(), running ? 1u : 0u);
        if (running) {
            EXPECT_EQ(boxes.shown[0].text, kRunningMessage);
            EXPECT_TRUE(boxes.shown[0].plain);
        }
        EXPECT_EQ(clock.nextDelay(), 100);
    }
}

TEST_F(SetupFlow, AgreeLeadsToTheInstallationScreenAfterTheSecondTimer) {
    program.create();
    EXPECT_EQ(timers.nextDelay(), 100);
    timers.fireNext();
    EXPECT_TRUE(program.licence.agreementPending);
    program.licence.Button1Click();
    EXPECT_FALSE(program.licence.agreementPending);
    EXPECT_EQ(timers.nextDelay(), 300);
    timers.fireNext();
    EXPECT_EQ(screens.calls, (Calls{"showLicence", "hideInstallation", "hideInstallation",
                                    "closeLicence", "showInstallation"}));
    EXPECT_EQ(program.installationScreen.folderField, defaultInstallFolder(files.home));
    EXPECT_EQ(program.installationScreen.installation.sourceFolder, files.current + kPathSeparator);
}

TEST_F(SetupFlow, CancelOrClosingTheLicenceEndsTheProgramWritingNothing) {
    for (const bool cancel : {true, false}) {
        FakeRegistry untouched;
        FakeScreens views;
        ManualTimers clock;
        SetupProgram setup(
            SetupServices{untouched, files, links, messages, shell, clock, windows, views});
        views.program = &setup;
        setup.create();
        clock.fireNext();
        if (cancel)
            setup.licence.Button2Click();
        else
            views.closeLicence();
        EXPECT_TRUE(setup.installationScreen.ended());
        EXPECT_EQ(views.calls.back(), "terminate");
        EXPECT_EQ(clock.pending.size(), 0u);
        EXPECT_EQ(untouched.writeCount(), 0);
    }
}

TEST_F(SetupFlow, TheChooserProposesAFolderBelowTheDirectoryItStandsAt) {
    const struct {
        std::string directory;
        std::string proposal;
    } cases[] = {
        {"/", "/znvault"},
        {"C:/", "C:/znvault"},
        {"/home", "/home/znvault"},
        {"/media/usb stick/Apps", "/media/usb stick/Apps/znvault"},
    };
    for (const auto& c : cases) EXPECT_EQ(proposedFolder(native(c.directory)), native(c.proposal));
}

TEST_F(SetupFlow, OkInTheChooserWithoutAChangeReplacesTheTypedFolder) {
#ifdef _WIN32
    // The first place is a drive, which stands at its current folder.
    const std::string start = files.current;
#else
    const std::string start = files.home;
#endif
    std::filesystem::create_directories(std::filesystem::path(start) / "Apps");
    reachInstallationScreen();
    TForm1& screen = program.installationScreen;
    screen.folderField = "/typed/by/hand";
    screens.whileChooserShown = [this] { program.chooser.BitBtn1Click(); };
    screen.BitBtn1Click();
    const std::string separator(1, kPathSeparator);
    EXPECT_EQ(screen.folderField, start + separator + "znvault");

    // Opening a folder and the root place propose below them.
    TForm3& chooser = program.chooser;
    screens.whileChooserShown = [&] {
        const auto& lines = chooser.directoryLines;
        const auto apps = std::find_if(lines.begin(), lines.end(), [](const DirectoryLine& line) {
            return line.caption == "Apps";
        });
        ASSERT_NE(apps, lines.end());
        chooser.DirectoryListBox1Click(static_cast<int>(apps - lines.begin()));
        const std::string opened = start + separator + "Apps";
        EXPECT_EQ(chooser.folderField, opened + separator + "znvault");
        // One open line for the root (a drive on Windows) and for each level
        // down to the folder.
        const auto openLines =
            std::count_if(chooser.directoryLines.begin(), chooser.directoryLines.end(),
                          [](const DirectoryLine& line) { return line.open; });
        ASSERT_EQ(openLines, std::count(opened.begin(), opened.end(), kPathSeparator) + 1);
        EXPECT_EQ(chooser.directoryLines[std::size_t(openLines) - 1].path, opened);
        EXPECT_EQ(chooser.directoryLines[1].path,
                  opened.substr(0, opened.find(kPathSeparator, opened.find(kPathSeparator) + 1)));
        chooser.DriveComboBox1Change(1);
        EXPECT_EQ(files.root().rfind(chooser.directoryLines.front().caption, 0), 0u);
        chooser.BitBtn1Click();
    };
    screen.BitBtn1Click();
    EXPECT_EQ(screen.folderField, files.root() + "znvault");
}

TEST_F(SetupFlow, CompletionOkStartsTheProgramOpensTheNotesAndEnds) {
    reachInstallationScreen();
    // A relative folder is the current folder's, from the first thing written on.
    program.installationScreen.folderField = std::string("apps") + kPathSeparator + "zn";
    const std::string absolute = native(temp / "dist" / "apps" / "zn");
    program.dispatcher.run([&] { program.installationScreen.BitBtn3Click(); });
    ASSERT_TRUE(program.installationScreen.completionPanelShown);
    EXPECT_EQ(vaultValue("installdir"), absolute);
    program.installationScreen.Button1Click();

    ASSERT_EQ(shell.launches.size(), 2u);
    EXPECT_TRUE(shell.launches[0].program);
    EXPECT_EQ(shell.launches[0].target, absolute + kPathSeparator + programFileName());
    EXPECT_EQ(shell.launches[0].argumentOrFolder, "");
    const std::string notes = absolute + kPathSeparator + "readme.txt";
#ifdef _WIN32
    EXPECT_TRUE(shell.launches[1].program);
    EXPECT_EQ(shell.launches[1].target, files.windowsFolder() + "\\notepad.exe");
    EXPECT_EQ(shell.launches[1].argumentOrFolder, notes);
#else
    EXPECT_FALSE(shell.launches[1].program);
    EXPECT_EQ(shell.launches[1].target, notes);
#endif
    EXPECT_EQ(screens.calls.back(), "terminate");
}

}  // namespace
}  // namespace zn::setup::testing
