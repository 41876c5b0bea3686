// The two file formats the import reads: Internet shortcuts read as profile
// strings, and bookmark files read and rewritten as text lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "import/bookmark_file.h"
#include "platform/profile_string.h"
#include "tests/fakes/fake_import.h"
#include "tests/import/import_test_support.h"

namespace zn::testing {
namespace {

using namespace std::string_literals;

struct ShortcutCase {
    const char* what;
    std::string file;
    std::string expected;
};

TEST(ShortcutFile, ReadsTheAddressAsTheProfileStringReaderDoes) {
    const std::string long1500(1500, 'x');
    const std::string accents = std::string(1022, 'a') + "\xC3\xA9";  // é across the limit
    const ShortcutCase cases[] = {
        {"plain", "[InternetShortcut]\r\nURL=http://a.example/\r\n", "http://a.example/"},
        {"names in any case", "[internetshortcut]\nurl=http://b.example/", "http://b.example/"},
        {"blanks around names and value",
         "  [ InternetShortcut ]  \n\t URL \t=  http://c.example/ \t\n", "http://c.example/"},
        {"matching double quotes go", "[InternetShortcut]\nURL=\"http://d.example/\"\n",
         "http://d.example/"},
        {"matching single quotes go", "[InternetShortcut]\nURL='http://e.example/'\n",
         "http://e.example/"},
        {"unmatched quotes stay", "[InternetShortcut]\nURL=\"http://f.example/'\n",
         "\"http://f.example/'"},
        {"a lone quote stays", "[InternetShortcut]\nURL=\"\n", "\""},
        {"equals signs in the value", "[InternetShortcut]\nURL=http://g.example/?a=1&b=2\n",
         "http://g.example/?a=1&b=2"},
        {"first key of the name", "[InternetShortcut]\nURL=http://first/\nURL=http://second/\n",
         "http://first/"},
        {"only the first section of the name",
         "[InternetShortcut]\nIconIndex=0\n[Other]\nURL=x\n[InternetShortcut]\nURL=http://late/\n",
         ""},
        {"key of another section", "[DEFAULT]\nURL=http://base/\n[InternetShortcut]\n", ""},
        {"key before any section", "URL=http://none/\n[InternetShortcut]\nX=1\n", ""},
        {"key without equals sign", "[InternetShortcut]\nURL\n", ""},
        {"lone CR line breaks", "[InternetShortcut]\rURL=http://h.example/\rX=1",
         "http://h.example/"},
        {"byte-order mark", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://i.example/",
         "http://i.example/"},
        {"section line with a comment after it", "[InternetShortcut] ; note\nURL=http://j/",
         "http://j/"},
        {"zero byte ends the text", "[InternetShortcut]\nURL=http://k/\0more"s, "http://k/"},
        {"1500 characters give 1023", "[InternetShortcut]\nURL=" + long1500,
         long1500.substr(0, 1023)},
        {"never cut inside a character", "[InternetShortcut]\nURL=" + accents,
         std::string(1022, 'a')},
        {"binary junk", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, ""},
    };
    for (const auto& c : cases)
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
