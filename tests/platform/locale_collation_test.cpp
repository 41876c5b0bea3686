// The locale's order and case-blind equality, as the bookmark list uses them.
#include "platform/linux/locale_collation.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>

#include "tests/fakes/temp_folder.h"

namespace zn {
namespace {

class LocaleCollationTest : public ::testing::Test {
protected:
    // C.UTF-8 ships with every glibc: letters beyond ASCII fold, order is by code point.
    void SetUp() override { setenv("LC_ALL", "C.UTF-8", 1); }
    void TearDown() override { unsetenv("LC_ALL"); }
};

TEST_F(LocaleCollationTest, SortKeysKeepTheOrderAndCaseMatters) {
    LocaleCollation collation;
    EXPECT_LT(collation.sortKey("http://a"), collation.sortKey("http://b"));
    EXPECT_LT(collation.sortKey(""), collation.sortKey("a"));
    EXPECT_NE(collation.sortKey("Site"), collation.sortKey("site"));
    const std::string longSite(5000, 'x');
    EXPECT_LT(collation.sortKey(longSite), collation.sortKey(longSite + "y"));
}

TEST_F(LocaleCollationTest, EqualityIgnoresCaseBeyondAscii) {
    LocaleCollation collation;
    EXPECT_TRUE(collation.equalIgnoringCase("HTTP://ÉTÉ.example", "http://été.EXAMPLE"));
    EXPECT_FALSE(collation.equalIgnoringCase("http://a", "http://a/"));
    EXPECT_FALSE(collation.equalIgnoringCase("http://e", "http://é"));
}

TEST_F(LocaleCollationTest, BytesThatAreNotUtf8NeverMatchSomethingElse) {
    LocaleCollation collation;
    EXPECT_TRUE(collation.equalIgnoringCase("a\xE9", "A\xE9"));
    EXPECT_FALSE(collation.equalIgnoringCase("a\xE9", "a\xC9"));
    EXPECT_FALSE(collation.equalIgnoringCase(std::string("a\0b", 3), "a"));
}

TEST_F(LocaleCollationTest, KeysIgnoringCaseOrderByCodePointWithLettersFolded) {
    LocaleCollation collation;
    EXPECT_EQ(collation.sortKeyIgnoringCase("HTTP://ÉTÉ/"),
              collation.sortKeyIgnoringCase("http://été/"));
    EXPECT_LT(collation.sortKeyIgnoringCase("A.url"), collation.sortKeyIgnoringCase("b.url"));
    EXPECT_LT(collation.sortKeyIgnoringCase("Links/"), collation.sortKeyIgnoringCase("links2/"));
    EXPECT_LT(collation.sortKeyIgnoringCase("zebra"), collation.sortKeyIgnoringCase("Ébène"));
    // Only A to Z fold among the ASCII bytes, a whole word of them at a time.
    EXPECT_EQ(collation.sortKeyIgnoringCase("@AZ[`az{HTTP://X.EXAMPLE/~\x7F"),
              "@az[`az{http://x.example/~\x7F");
    std::string keys = "x";
    collation.appendSortKeyIgnoringCase("ÀB", keys);
    EXPECT_EQ(keys, std::string("x").append(collation.sortKeyIgnoringCase("àb")));
}

// A real language's collation, made for the test from the locale sources
// (the "locales" package), so that no installed locale is needed.
TEST(LocaleCollationLanguage, KeysIgnoringCaseFollowTheLanguage) {
    const testing::TempFolder folder;
    const std::string command =
        "localedef -i en_US -f UTF-8 " + (folder / "en_US.UTF-8").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0)
        << "localedef cannot make en_US.UTF-8: install the locales package";
    setenv("LOCPATH", folder.path().c_str(), 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    {
        LocaleCollation collation;
        const auto key = [&](const char* text) { return collation.sortKeyIgnoringCase(text); };
        EXPECT_EQ(key("Apple"), key("apple"));
        EXPECT_LT(key("apple"), key("Banana"));
        EXPECT_LT(key("Banana"), key("cherry"));
        EXPECT_LT(key("elan"), key("Élan"));  // the accent counts after the letters
        EXPECT_LT(key("Élan"), key("flan"));
        std::string keys;
        collation.appendSortKeyIgnoringCase("Zed", keys);
        EXPECT_EQ(keys, key("zed"));
    }
    unsetenv("LC_ALL");
    unsetenv("LOCPATH");
}

}  // namespace
}  // namespace zn
