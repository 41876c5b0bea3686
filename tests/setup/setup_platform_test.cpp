// The Linux services of setup: the application window and the search for it
// on a real X server, shortcuts as desktop entries, the mounted volumes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "platform/linux/desktop_links.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/x11_application_window.h"
#include "platform/linux/x11_window_list.h"
#include "tests/desktop/xvfb_server.h"
#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

TEST(ApplicationWindow, IsFoundByItsTitleInAnyCaseWhileItLives) {
    zn::testing::XvfbServer server;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    X11WindowList windows;
    EXPECT_FALSE(windows.existsTitled("Zintrel"));
    {
        const X11ApplicationWindow window("Zintrel");
        ASSERT_TRUE(window.exists());
        EXPECT_TRUE(windows.existsTitled("zINTREL"));
        EXPECT_FALSE(windows.existsTitled("Zintrel Setup"));
    }
    EXPECT_FALSE(windows.existsTitled("Zintrel"));
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(X11WindowList().existsTitled("Zintrel"));
}

TEST(DesktopLinks, RunProgramsOpenDocumentsAndPassTheValidator) {
    TempFolder folder;
    const auto program = folder / "my apps/znvault";
    writeFile(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    writeFile(folder / "my apps/readme.txt", "notes");
    DesktopEntryLinks links;
    links.createLink(program.string(), (folder / "znvault.desktop").string());
    links.createLink((folder / "my apps/readme.txt").string(),
                     (folder / "ReadMe.desktop").string());
    links.renameLink((folder / "znvault.desktop").string(), (folder / "Zintrel.desktop").string());

    EXPECT_FALSE(std::filesystem::exists(folder / "znvault.desktop"));
    const std::string programEntry = readFile(folder / "Zintrel.desktop");
    EXPECT_NE(programEntry.find("Name=Zintrel\nExec=\"" + program.string() + "\"\n"),
              std::string::npos);
    EXPECT_NE(readFile(folder / "ReadMe.desktop")
                  .find("Exec=\"xdg-open\" \"" + (folder / "my apps/readme.txt").string() + "\""),
              std::string::npos);
    // A rename never replaces a link that is there already.
    links.renameLink((folder / "ReadMe.desktop").string(), (folder / "Zintrel.desktop").string());
    EXPECT_EQ(readFile(folder / "Zintrel.desktop"), programEntry);
    if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
        for (const char* name : {"Zintrel.desktop", "ReadMe.desktop"})
            EXPECT_EQ(
                std::system(("desktop-file-validate '" + (folder / name).string() + "'").c_str()),
                0)
                << name;
    }
}

TEST(DesktopLinks, AreMarkedTrustedThroughGio) {
    TempFolder folder;
    const auto gio = folder / "bin" / "gio";
    writeFile(gio, "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/asked\"\n");
    std::filesystem::permissions(gio, std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ((folder / "bin").string() + ":" + path).c_str(), 1);
    const std::string link = (folder / "my desktop" / "Zintrel.desktop").string();
    DesktopEntryLinks().markTrusted(link);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(readFile(folder / "bin" / "asked"), "set|" + link + "|metadata::trusted|true|");
}

TEST(MountedVolumes, AreTheUsersOwnWithTheirEscapesUndone) {
    const std::string mounts =
        "/dev/sda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /media/ann/USB\\040Stick vfat rw 0 0\n"
        "/dev/sdc1 /mnt/backup ext4 rw 0 0\n"
        "/dev/sdd1 /run/media/ann/Disk ext4 rw 0 0\n"
        "/dev/sdc1 /mnt/backup ext4 rw 0 0\n";
    EXPECT_EQ(userVolumes(mounts), (std::vector<std::string>{"/media/ann/USB Stick", "/mnt/backup",
                                                             "/run/media/ann/Disk"}));
}

}  // namespace
}  // namespace zn::setup::testing
