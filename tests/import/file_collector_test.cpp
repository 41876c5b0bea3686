// The file collector over real folders, and the folder field's browsing.
#include "import/file_collector.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "import/folder_lookup.h"
#include "tests/fakes/fake_import.h"
#include "tests/import/folder_link.h"
#include "tests/import/import_test_support.h"

namespace zn::testing {
namespace {

class Collector : public ::testing::Test {
protected:
    std::vector<std::string> collect(const std::string& folder, const std::string& mask = "*.URL") {
        TOrvFileCollector collector(files, collation, pump);
        collector.InitialDirectory = folder;
        collector.FileMask = mask;
        topHadMatch = collector.Collect();
        storedFolder = collector.InitialDirectory;
        std::vector<std::string> relative;
        for (const auto& path : collector.LocatedObjects)
            relative.push_back(path.substr(folderText(root.path()).size()));
        return relative;
    }

    TempFolder root;
    TestFileSystem files;
    NativeCollation collation;
    CountingPump pump;
    bool topHadMatch = false;
    std::string storedFolder;
};

TEST_F(Collector, TopFolderFilesFirstInNameOrderThenEachSubfolderTree) {
    for (const char* name : {"b.url", "A.url", "Links/c.url", "Links/Deep/d.URL", "a-links/e.url",
                             "Z.Url", "notes.txt", "url", ".hidden.url", "Links/x.url.bak"})
        writeFile(root / name, "");
    std::filesystem::create_directories(root / "empty");

    EXPECT_EQ(collect(root.path().string()),
              nativePaths({".hidden.url", "A.url", "b.url", "Z.Url", "a-links/e.url", "Links/c.url",
                           "Links/Deep/d.URL"}));
    EXPECT_TRUE(topHadMatch);
    // Messages are handled once in each folder entered.
    EXPECT_EQ(pump.calls, 5);
}

TEST_F(Collector, FolderTextIsStoredWithOneTrailingSeparator) {
    writeFile(root / "Links/c.url", "");
    const std::string expected = folderText(root.path());
    for (const std::string& given : {root.path().string(), expected}) {
        EXPECT_EQ(collect(given), nativePaths({"Links/c.url"}));
        EXPECT_EQ(storedFolder, expected);
        EXPECT_FALSE(topHadMatch);  // only a subfolder held one
    }
    for (const char* kept : {"/", "a//"})
        EXPECT_EQ(normalisedSearchFolder(native(kept)), native(kept));
    EXPECT_EQ(normalisedSearchFolder("rel"), native("rel/"));
#ifdef _WIN32
    // A drive's root keeps its separator; a folder on a drive gets one.
    EXPECT_EQ(normalisedSearchFolder("D:\\"), "D:\\");
    EXPECT_EQ(normalisedSearchFolder("D:\\Data"), "D:\\Data\\");
#endif
}

TEST_F(Collector, EmptyFolderTextSearchesTheCurrentFolder) {
    writeFile(root / "here.url", "");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root.path());
    EXPECT_EQ(collect(""), std::vector<std::string>{"here.url"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(storedFolder, folderText(root.path()));
}

TEST_F(Collector, UnlistableOrMissingFoldersContributeNothingAndTheSearchGoesOn) {
    for (const char* name : {"a/1.url", "b/2.url", "c/3.url"}) writeFile(root / name, "");
    files.unlistable.insert(folderText(root / "b"));
    EXPECT_EQ(collect(root.path().string()), nativePaths({"a/1.url", "c/3.url"}));
    EXPECT_TRUE(collect((root / "missing").string()).empty());
    // A folder text with an unexpanded variable names no folder.
    EXPECT_TRUE(collect("%USERPROFILE%/Favorites").empty());
}

TEST_F(Collector, LinkedFoldersAreEnteredOnceEachHoweverTheyAreReached) {
    writeFile(root / "real/a.url", "");
    const TempFolder elsewhere;
    writeFile(elsewhere / "kept/b.url", "");
    const FolderLink loop(root.path(), root / "real/loop");
    const FolderLink linked(elsewhere / "kept", root / "linked");
    const FolderLink secondWay(elsewhere / "kept", root / "second way");
    if (!loop.made() || !linked.made() || !secondWay.made())
        GTEST_SKIP() << "no links to folders can be made here";
    EXPECT_EQ(collect(root.path().string()), nativePaths({"linked/b.url", "real/a.url"}));
}

// Windows keeps no two names that differ only in case, and links to files and
// devices need rights a test does not have.
#ifndef _WIN32
TEST_F(Collector, LinksToFilesCountAsWhatTheyLeadToNamesDifferingInCaseBothStay) {
    writeFile(root / "a.url", "");
    writeFile(root / "A.URL", "");
    std::filesystem::create_symlink(root / "a.url", root / "link.url");
    std::filesystem::create_symlink("/dev/null", root / "device.url");
    std::filesystem::create_symlink(root / "gone", root / "dangling.url");
    ASSERT_EQ(::mkfifo((root / "pipe.url").c_str(), 0600), 0);
    EXPECT_EQ(collect(root.path().string()),
              (std::vector<std::string>{"A.URL", "a.url", "link.url"}));
}
#endif

TEST_F(Collector, EventsReportEachFolderAndEachFileAsItIsAdded) {
    writeFile(root / "Bookmark.htm", "");
    writeFile(root / "u/BOOKMARK.HTM", "");
    writeFile(root / "u/bookmark.html", "");
    TOrvFileCollector collector(files, collation, pump);
    collector.InitialDirectory = root.path().string();
    collector.FileMask = "Bookmark.htm";
    int folders = 0;
    std::vector<std::string> reported;
    collector.OnDirectoryFound = [&](TOrvFileCollector&) { ++folders; };
    collector.OnFileFound = [&](TOrvFileCollector& self, const std::string& path) {
        EXPECT_EQ(self.LocatedObjects.back(), path);
        reported.push_back(path);
    };
    collector.Collect();
    EXPECT_EQ(folders, 2);
    EXPECT_EQ(reported, collector.LocatedObjects);
    EXPECT_EQ(reported.size(), 2u);
}

TEST(FolderLookup, BrowseHandsTheSettingsToThePickerAndReportsOnlyARealChange) {
    ScriptedFolderPicker picker;
    TOrvFolderLookup field;
    field.Text = "/home/me/.netscape";
    std::vector<std::string> events;
    field.BeforeLookup = [&](TOrvFolderLookup&) { events.push_back("before"); };
    field.AfterLookup = [&](TOrvFolderLookup&) { events.push_back("after"); };
    field.OnPathChanged = [&](const std::string& oldPath, const std::string& newPath) {
        events.push_back(oldPath + " -> " + newPath);
    };

    EXPECT_FALSE(field.Browse(picker));  // cancelled
    EXPECT_EQ(field.Text, "/home/me/.netscape");
    picker.answer = "/home/me/.netscape";
    EXPECT_TRUE(field.Browse(picker));  // the same folder: no change reported
    picker.answer = "/home/me/.Netscape";
    EXPECT_TRUE(field.Browse(picker));
    EXPECT_EQ(field.Text, "/home/me/.Netscape");
    EXPECT_EQ(events,
              (std::vector<std::string>{"before", "after", "before", "after", "before",
                                        "/home/me/.netscape -> /home/me/.Netscape", "after"}));

    const FolderPickerRequest& request = picker.requests.front();
    EXPECT_EQ(request.rootFolderId, -1);
    EXPECT_EQ(request.options, 0x1u | 0x4u);
    EXPECT_FALSE(request.writePathToStatus);
    EXPECT_EQ(request.initialFolder, "/home/me/.netscape");
    EXPECT_EQ(specialFolderId(TOrvRoots::csidlDesktop), 0);
    EXPECT_EQ(specialFolderId(TOrvRoots::csidlDesktopDirectory), 16);
    EXPECT_EQ(specialFolderId(TOrvRoots::csidlTemplates), 21);
    EXPECT_EQ((TOrvInfoFlagSet{TOrvInfoFlags::LookupForPrinter, TOrvInfoFlags::DisplayPath})
                  .pickerOptions(),
              0x2000u);
}

}  // namespace
}  // namespace zn::testing
