// The locale's order and case-blind equality, as the bookmark list uses them.
#include "platform/linux/locale_collation.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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

}  // namespace
}  // namespace zn
