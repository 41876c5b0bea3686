// The sorted check list against a plain stable sort of the same texts.
#include "import/check_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/fakes/fake_ports.h"

namespace zn {
namespace {

using testing::ByteCollation;
using Contents = std::vector<std::pair<std::string, int>>;

Contents contents(const CheckList& list) {
    Contents result;
    for (const auto& item : list.items()) result.emplace_back(item.text, item.data);
    return result;
}

// Texts that share a long start, differ only in case, repeat, run shorter
// than the shared start or are empty; the list keeps its own copies.
TEST(CheckList, SortedOrderIsTheStableOrderOfTheCaseBlindKeys) {
    const ByteCollation collation;
    const auto key = [&](const std::string& text) { return collation.sortKeyIgnoringCase(text); };
    Contents expected;
    unsigned seed = 7;
    for (int i = 0; i < 8000; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string text = "https://www.";
        const unsigned length = (seed >> 8) % 14;
        for (unsigned c = 0; c < length; ++c) text += "aBz/."[(seed >> (c + 3)) % 5];
        if (i % 97 == 0) text = text.substr(0, (seed >> 4) % 9);
        expected.emplace_back(text, i);
    }
    for (const bool sortedFirst : {false, true}) {
        CheckList list(collation);
        if (sortedFirst) list.setSorted();
        {
            std::vector<std::string> texts;
            for (const auto& entry : expected) texts.push_back(entry.first);
            std::vector<CheckListItem> items;
            for (std::size_t i = 0; i < texts.size(); ++i)
                items.push_back({texts[i], expected[i].second, false});
            list.assign(std::move(items));
        }
        list.setSorted();
        Contents sorted = expected;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](const auto& a, const auto& b) { return key(a.first) < key(b.first); });
        EXPECT_EQ(contents(list), sorted);

        // One more text goes after every text of an equal key.
        const std::string text = "HTTPS://www.a";
        const auto place = std::partition_point(
            sorted.begin(), sorted.end(), [&](const auto& e) { return key(e.first) <= key(text); });
        EXPECT_EQ(list.add(text, -1), static_cast<std::size_t>(place - sorted.begin()));
        sorted.insert(place, {text, -1});
        EXPECT_EQ(contents(list), sorted);
    }
}

}  // namespace
}  // namespace zn
