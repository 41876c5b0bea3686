// Run values and their autostart entries: how a command line is read, how
// it is written as a desktop entry, and that only committed changes show.
#include "platform/linux/autostart_mirror.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/linux/sqlite_registry.h"
#include "tests/registry/registry_test_support.h"

namespace zn::testing {
namespace {

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "\"" + text.
std::string quoted(const std::string& text) {
    std::string result = "\"";
    result += text;
    result += '"';
    return result;
}

TEST(RunCommand, ProgramIsTheLongestLeadingPartNamingAFile) {
    TempFolder folder;
    const auto program = folder / "my opt" / "znvault";
    std::filesystem::create_directories(program.parent_path());
    writeFile(program, "#!/bin/sh\n");

    auto command = parseRunCommand(program.string() + " /S");
    EXPECT_EQ(command.program, program.string());
    EXPECT_EQ(command.arguments, std::vector<std::string>{"/S"});

    command = parseRunCommand(program.string());
    EXPECT_EQ(command.program, program.string());
    EXPECT_TRUE(command.arguments.empty());

    // Nothing names a file: the first word is the program.
    command = parseRunCommand("/nowhere/at all /S");
    EXPECT_EQ(command.program, "/nowhere/at");
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"all", "/S"}));

    command = parseRunCommand("  \"/opt/with space/prog\" \"one arg\" two");
    EXPECT_EQ(command.program, "/opt/with space/prog");
    EXPECT_EQ(command.arguments, (std::vector<std::string>{"one arg", "two"}));

    EXPECT_EQ(parseRunCommand("   ").program, "");
}

TEST(RunCommand, ExecValueQuotesPerTheDesktopEntryRules) {
    EXPECT_EQ(desktopExecValue({"/opt/zn/znvault", {"/S"}}), "\"/opt/zn/znvault\" /S");
    EXPECT_EQ(desktopExecValue({"/a b/$x\"q\\`", {"it's", "100%", ""}}),
              "\"/a b/\\$x\\\"q\\\\\\`\" \"it's\" 100%% \"\"");
    // The file's own string escaping doubles the backslashes once more.
    const std::string entry = autostartDesktopEntry({"/a\\b", {}});
    EXPECT_NE(entry.find("\nExec=\"/a\\\\\\\\b\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nTryExec=/a\\\\b\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=Zintrel\n"), std::string::npos);
    EXPECT_NE(entry.find("\nX-GNOME-Autostart-enabled=true\n"), std::string::npos);
}

TEST(RunCommand, FileNamesAreOursAndNeverShared) {
    EXPECT_EQ(autostartFileName("Bookmarks"), "zintrel-run-bookmarks.desktop");
    EXPECT_EQ(autostartFileName("BOOKMARKS"), autostartFileName("bookmarks"));
    EXPECT_EQ(autostartFileName("../x y"), "zintrel-run-.._2fx_20y.desktop");
    EXPECT_NE(autostartFileName("a b"), autostartFileName("a_20b"));
    EXPECT_NE(autostartFileName(""), autostartFileName("-"));
    const std::string longName(1000, 'n');
    EXPECT_LE(autostartFileName(longName).size(), 255u);
    EXPECT_NE(autostartFileName(longName), autostartFileName(longName + "m"));
}

class AutostartMirrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = SqliteRegistry::open((folder_ / "registry.db").string(),
                                         {.busyTimeoutMs = 5000,
                                          .autostartFolder = autostart(),
                                          .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
        std::filesystem::create_directories(program().parent_path());
        writeFile(program(), "#!/bin/sh\n");
    }
    std::filesystem::path autostart() const { return folder_ / "config" / "autostart"; }
    std::filesystem::path entry() const { return autostart() / "zintrel-run-bookmarks.desktop"; }
    std::filesystem::path program() const { return folder_ / "opt dir" / "znvault"; }
    std::unique_ptr<RegistryKey> runKey() {
        return registry_->openKey(RegRoot::CurrentUser, kRunKeyPath, true);
    }
    std::string execLine() {
        const std::string text = readFile(entry());
        const auto start = text.find("\nExec=");
        return start == std::string::npos
                   ? ""
                   : text.substr(start + 6, text.find('\n', start + 1) - start - 6);
    }

    TempFolder folder_;
    std::unique_ptr<SqliteRegistry> registry_;
};

TEST_F(AutostartMirrorTest, WritingOverwritingAndDeletingTheValueFollowIt) {
    std::filesystem::create_directories(autostart());
    writeFile(autostart() / "someone-else.desktop", "[Desktop Entry]\n");

    runKey()->writeString("Bookmarks", program().string() + " /S");
    EXPECT_EQ(execLine(), quoted(program().string()) + " /S");

    registry_
        ->openKey(RegRoot::CurrentUser, "software\\microsoft\\windows\\currentversion\\RUN", false)
        ->writeString("BOOKMARKS", program().string());
    EXPECT_EQ(execLine(), quoted(program().string()));

    EXPECT_TRUE(runKey()->deleteValue("Bookmarks"));
    EXPECT_FALSE(std::filesystem::exists(entry()));

    // A value that is not a string starts nothing.
    runKey()->writeInteger("Bookmarks", 1);
    EXPECT_FALSE(std::filesystem::exists(entry()));
    EXPECT_TRUE(std::filesystem::exists(autostart() / "someone-else.desktop"));
    // Nothing of ours is left, not even a temporary file; the others' entries stay.
    for (const auto& file : std::filesystem::directory_iterator(autostart()))
        EXPECT_EQ(file.path().filename(), "someone-else.desktop");
}

TEST_F(AutostartMirrorTest, DeletingTheRunKeyOrAnAncestorRemovesTheEntries) {
    runKey()->writeString("Bookmarks", program().string());
    registry_->deleteKey(RegRoot::CurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_FALSE(std::filesystem::exists(entry()));

    runKey()->writeString("Bookmarks", program().string());
    registry_->deleteKey(RegRoot::CurrentUser, "Software\\Microsoft");
    EXPECT_FALSE(std::filesystem::exists(entry()));

    // The same path under another root is not the Run key.
    registry_->openKey(RegRoot::LocalMachine, kRunKeyPath, true)
        ->writeString("Bookmarks", program().string());
    EXPECT_FALSE(std::filesystem::exists(entry()));
}

TEST_F(AutostartMirrorTest, OnlyCommittedChangesReachTheFolder) {
    runKey()->writeString("Bookmarks", program().string() + " /S");
    const std::string committed = readFile(entry());
    {
        const auto batch = registry_->beginBatch();
        runKey()->writeString("Bookmarks", program().string() + " /other");
        runKey()->writeString("Second", program().string());
        EXPECT_EQ(readFile(entry()), committed);
    }
    EXPECT_EQ(readFile(entry()), committed);
    EXPECT_FALSE(std::filesystem::exists(autostart() / "zintrel-run-second.desktop"));
    {
        const auto batch = registry_->beginBatch();
        registry_->deleteKey(RegRoot::CurrentUser, "Software");
        EXPECT_TRUE(std::filesystem::exists(entry()));
    }
    EXPECT_EQ(readFile(entry()), committed);
    {
        const auto batch = registry_->beginBatch();
        runKey()->writeString("Second", program().string());
        batch->commit();
    }
    EXPECT_TRUE(std::filesystem::exists(autostart() / "zintrel-run-second.desktop"));
}

TEST_F(AutostartMirrorTest, AnUnwritableFolderFailsTheWrite) {
    std::filesystem::create_directories(autostart().parent_path());
    writeFile(autostart(), "a file where the folder should be");
    try {
        runKey()->writeString("Bookmarks", program().string());
        FAIL() << "the autostart entry could not have been written";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Bookmarks'");
    }
}

}  // namespace
}  // namespace zn::testing
