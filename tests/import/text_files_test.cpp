// The two file formats the import reads: Internet shortcuts read as profile
// strings, and bookmark files read and rewritten as text lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "import/bookmark_file.h"
#include "platform/profile_string.h"
#include "tests/fakes/fake_import.h"
#include "tests/import/import_test_support.h"
#include "tests/import/shortcut_cases.h"

namespace zn::testing {
namespace {

using namespace std::string_literals;

TEST(ShortcutFile, ReadsTheAddressAsTheProfileStringReaderDoes) {
    for (const auto& c : shortcutCases())
        EXPECT_EQ(profileStringFromText(c.file, "InternetShortcut", "URL", "", 1024), c.expected)
            << c.what;
}

TEST(ShortcutFile, MissingFileGivesTheDefault) {
    TempFolder folder;
    NativeFileSystem files;
    writeFile(folder / "a.url", "[InternetShortcut]\nURL=http://a/");
    EXPECT_EQ(
        files.readProfileString((folder / "a.url").string(), "InternetShortcut", "URL", "", 1024),
        "http://a/");
    EXPECT_EQ(files.readProfileString((folder / "gone.url").string(), "InternetShortcut", "URL",
                                      "none", 1024),
              "none");
}

struct LineCase {
    const char* line;
    std::optional<std::string> address;
};

TEST(BookmarkFile, AddressLineRule) {
    const LineCase cases[] = {
        {"<DT><A HREF=\"http://a/\" ADD_DATE=\"1\">A</A>", "http://a/"},
        {"  \t <DT><A HREF=\"http://indented/\">I</A>", "http://indented/"},
        {"\x01\x1f<DT><A HREF=\"http://controls/\">C</A>\x02", "http://controls/"},
        {"<dt><a href=\"http://lower/\">L</a>", std::nullopt},
        {"<DT><A HREF=\"http://only-closing-quote-last/\"", std::nullopt},
        {"<DT><A HREF=\"http://quote-before-last/\">", "http://quote-before-last/"},
        {"<DT><A HREF=\"\" ADD_DATE=\"1\">empty</A>", ""},
        {"<DT><A HREF=\"\"", std::nullopt},
        {"<DT><A HREF=\"x", std::nullopt},
        {"<DT><A HREF=\"", std::nullopt},
        {"<DT><A HREF=http://unquoted/>U</A>", std::nullopt},
        {"<DT><H3>Folder</H3>", std::nullopt},
        {"<DD>description \"quoted\"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(addressOfLine(c.line), c.address) << c.line;
}

struct SplitCase {
    std::string bytes;
    std::vector<std::string> lines;
    std::optional<std::string> rest;
};

TEST(BookmarkFile, TextLinesSplitAtEveryKindOfBreakAndStopAtAZeroByte) {
    const SplitCase cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}, {}},
        {"a\n", {"a"}, {}},
        {"a\n\n", {"a", ""}, {}},
        {"\r\n\r\n", {"", ""}, {}},
        {"a\n\r", {"a", ""}, {}},  // LF CR is two breaks
        {"", {}, {}},
        {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}, std::string("\0c\r\nd", 5)},
        {std::string("\0", 1), {}, std::string("\0", 1)},
    };
    for (const auto& c : cases) {
        const TextLines text = splitTextLines(c.bytes);
        EXPECT_EQ(text.lines, c.lines) << c.bytes;
        EXPECT_EQ(text.restFromZero, c.rest) << c.bytes;
    }
    EXPECT_EQ(joinTextLines({{"a", "", "b"}, {}}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(joinTextLines(splitTextLines("x\ny\0tail\n"s)), "x\r\ny\r\n\0tail\n"s);
}

TEST(BookmarkFile, DeletesEveryLineOfATickedAddressExactCaseOnly) {
    std::vector<std::string> lines = {
        "<H1>Bookmarks</H1>",
        "    <DT><A HREF=\"http://a/\">A</A>",
        "    <DD>about a",
        "<DT><A HREF=\"http://A/\">other case</A>",
        "<DT><A HREF=\"http://b/\">B</A>",
        "<DT><A HREF=\"http://a/\" ADD_DATE=\"2\">A again</A>",
        "<DT><A HREF=\"http://a/\"",  // no address line: its quote is the last character
    };
    deleteAddressLines(lines, {"http://a/", "http://gone/"});
    EXPECT_EQ(lines, (std::vector<std::string>{"<H1>Bookmarks</H1>", "    <DD>about a",
                                               "<DT><A HREF=\"http://A/\">other case</A>",
                                               "<DT><A HREF=\"http://b/\">B</A>",
                                               "<DT><A HREF=\"http://a/\""}));
}

#ifndef _WIN32
TEST(BookmarkFile, RewriteReplacesTheFileWholeKeepsItsModeAndTheLinkToIt) {
    TempFolder folder;
    LinuxFileSystem files;
    const auto target = folder / "profile/bookmark.htm";
    writeFile(target, "one\ntwo");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, folder / "Bookmark.htm");

    writeTextFile(files, (folder / "Bookmark.htm").string(), {{"one"}, {}});
    EXPECT_EQ(readFile(target), "one\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "Bookmark.htm"));
    struct stat status {};
    ::stat(target.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "profile"), {}), 1);
}
#endif

#ifndef _WIN32
TEST(BookmarkFile, OnlyRegularFilesAreRead) {
    TempFolder folder;
    LinuxFileSystem files;
    const auto pipe = folder / "Bookmark.htm";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);  // no writer: an open waiting for one never ends
    for (const std::string& path :
         {pipe.string(), std::string("/dev/null"), folder.path().string()})
        EXPECT_FALSE(files.readWholeFile(path)) << path;
}
#endif

TEST(BookmarkFile, FailuresNameTheFile) {
    TempFolder folder;
    NativeFileSystem files;
    const std::string missing = (folder / "none/Bookmark.htm").string();
    try {
        readTextFile(files, missing);
        FAIL();
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot open file " + missing);
    }
    try {
        writeTextFile(files, missing, {});
        FAIL();
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot create file " + missing);
    }
}

// Written by firefox-esr's own exporter; see data/README.md.
TEST(BookmarkFile, BrowserExportGivesEveryAddressItHolds) {
    NativeFileSystem files;
    const TextLines text = readTextFile(files, ZN_IMPORT_TEST_DATA "/firefox-esr-export.html");
    std::vector<std::string> addresses;
    for (const auto& line : text.lines)
        if (auto address = addressOfLine(line)) addresses.push_back(*address);
    EXPECT_EQ(addresses, (std::vector<std::string>{
                             "https://www.example.org/",
                             "https://mail.example.net/login?user=me&amp;lang=en",
                             "https://news.example.com/world/",
                             "https://www.example.org/",
                             "https://xn--caf-dma.example.fr/menu",
                             "http://intranet.example/wiki/Start_Page",
                             "https://shop.example.com/Cart",
                             "ftp://files.example.com/pub/",
                         }));
}

}  // namespace
}  // namespace zn::testing
