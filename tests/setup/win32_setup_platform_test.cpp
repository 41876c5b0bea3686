// The Windows services of setup: shell-link files read back through the
// shell's own link object, the search for the program's application window,
// and the file system's view of drives and of one file under two names.
#include <gtest/gtest.h>

#include "platform/win32/application_window.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell_links.h"
#include "platform/win32/win32_window_list.h"
#include "tests/setup/setup_fixture.h"

namespace zn::setup::testing {
namespace {

using zn::win32::Win32FileSystem;
using zn::win32::Win32ShellLinks;

TEST(ShellLinks, HoldTheirTargetAndARenameNeverReplacesALink) {
    TempFolder folder;
    const std::string program = native(folder / "my apps" / "znvault.exe");
    const std::string notes = native(folder / "my apps" / "readme.txt");
    writeFile(program, "program");
    writeFile(notes, "notes");
    Win32ShellLinks links;
    links.createLink(program, native(folder / "znvault.lnk"));
    links.createLink(notes, native(folder / "ReadMe.lnk"));
    EXPECT_EQ(links.linkTarget(native(folder / "znvault.lnk")), program);

    links.renameLink(native(folder / "znvault.lnk"), native(folder / "Zintrel.lnk"));
    EXPECT_FALSE(std::filesystem::exists(folder / "znvault.lnk"));
    EXPECT_EQ(links.linkTarget(native(folder / "Zintrel.lnk")), program);
    links.renameLink(native(folder / "ReadMe.lnk"), native(folder / "Zintrel.lnk"));
    EXPECT_EQ(links.linkTarget(native(folder / "Zintrel.lnk")), program);
    EXPECT_EQ(links.linkTarget(native(folder / "ReadMe.lnk")), notes);
    EXPECT_EQ(links.linkTarget(native(folder / "missing.lnk")), "");
}

TEST(ApplicationWindow, IsFoundByItsWholeTitleInAnyCaseWhileItLives) {
    zn::win32::Win32WindowList windows;
    EXPECT_FALSE(windows.existsTitled("Zintrel"));
    {
        const zn::win32::ApplicationWindow window("Zintrel");
        ASSERT_NE(window.handle(), nullptr);
        EXPECT_TRUE(windows.existsTitled("Zintrel"));
        EXPECT_TRUE(windows.existsTitled("zINTREL"));
        EXPECT_FALSE(windows.existsTitled("Zintrel Setup"));
    }
    EXPECT_FALSE(windows.existsTitled("Zintrel"));
}

TEST(Win32FileSystem, KnowsOneFileUnderTwoNamesAndListsADriveFromItsRoot) {
    TempFolder folder;
    writeFile(folder / "Program.exe", "x");
    std::filesystem::create_directories(folder / "b folder");
    std::filesystem::create_directories(folder / "A folder");
    Win32FileSystem files;
    const std::string path = native(folder / "Program.exe");
    std::string otherCase = path;
    for (char& c : otherCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(files.sameFile(path, otherCase));
    EXPECT_FALSE(files.sameFile(path, native(folder / "A folder")));
    EXPECT_FALSE(files.sameFile(path, native(folder / "missing.exe")));
    EXPECT_EQ(files.subfolders(native(folder.path())),
              (std::vector<std::string>{"A folder", "b folder"}));

    const auto places = files.places();
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places.front(), "C:\\");
    EXPECT_EQ(files.subfolders("C:"), files.subfolders("C:\\"));
    EXPECT_FALSE(files.createFolder(native(folder.path())));
}

}  // namespace
}  // namespace zn::setup::testing
