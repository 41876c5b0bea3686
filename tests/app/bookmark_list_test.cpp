#include "app/bookmark_list.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_ports.h"

namespace zn {
namespace {

using testing::ByteCollation;

std::vector<std::string> sites(const BookmarkList& list) {
    std::vector<std::string> result;
    for (const auto& entry : list.entries()) result.push_back(entry.site);
    return result;
}

TEST(BookmarkList, KeepsSortedOrderWithEqualSitesInArrivalOrder) {
    ByteCollation collation;
    BookmarkList list(collation);
    list.add({"b", "first b", "", ""});
    list.add({"a", "", "", ""});
    list.add({"b", "second b", "", ""});
    list.add({"", "empty site", "", ""});
    EXPECT_EQ(sites(list), (std::vector<std::string>{"", "a", "b", "b"}));
    EXPECT_EQ(list.at(2).description, "first b");

    list.assign({{"b", "1", "", ""}, {"a", "", "", ""}, {"b", "2", "", ""}});
    EXPECT_EQ(list.at(1).description, "1");
    EXPECT_EQ(list.at(2).description, "2");
}

TEST(BookmarkList, SelectionFollowsItsRow) {
    ByteCollation collation;
    BookmarkList list(collation);
    list.assign({{"b", "", "", ""}, {"d", "", "", ""}});
    list.select(1);  // "d"
    list.add({"a", "", "", ""});
    EXPECT_EQ(list.selected(), 2u);
    EXPECT_EQ(list.setSite(2, "0"), 0u);
    EXPECT_EQ(list.selected(), 0u);
    EXPECT_EQ(list.at(0).site, "0");
    list.remove(1);
    EXPECT_EQ(list.selected(), 0u);
    list.remove(0);
    EXPECT_FALSE(list.selected());
}

TEST(BookmarkList, AddingManyAtOnceGivesTheOrderAndSelectionOfAddingThemOneByOne) {
    ByteCollation collation;
    const std::vector<BookmarkEntry> start = {{"b", "old b", "", ""}, {"d", "", "", ""}};
    const std::vector<BookmarkEntry> added = {{"e", "", "", ""}, {"b", "new b1", "", ""},
                                              {"a", "", "", ""}, {"b", "new b2", "", ""},
                                              {"c", "", "", ""}, {"a", "new a2", "", ""}};
    for (const std::optional<std::size_t> selected : {std::optional<std::size_t>{}, {0}, {1}}) {
        BookmarkList oneByOne(collation);
        BookmarkList atOnce(collation);
        for (BookmarkList* list : {&oneByOne, &atOnce}) {
            list->assign(start);
            list->select(selected);
        }
        for (const auto& entry : added) oneByOne.add(entry);
        atOnce.addAll(added);
        EXPECT_EQ(atOnce.entries(), oneByOne.entries());
        EXPECT_EQ(atOnce.selected(), oneByOne.selected());
    }
}

TEST(BookmarkList, FindsASiteIgnoringCase) {
    ByteCollation collation;
    BookmarkList list(collation);
    list.assign({{"http://A.example", "", "", ""}, {"http://b.example", "", "", ""}});
    EXPECT_EQ(list.findBySite("HTTP://a.EXAMPLE"), 0u);
    EXPECT_FALSE(list.findBySite("http://a.example/"));
}

}  // namespace
}  // namespace zn
