// The import's index of known sites answers as the list's own search does.
#include "import/known_sites.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/fakes/native_file_system.h"

namespace zn::testing {
namespace {

using namespace std::string_literals;

TEST(KnownSites, FindASiteExactlyWhenTheListsCaseBlindEqualityDoes) {
#ifndef _WIN32
    setenv("LC_ALL", "C.UTF-8", 1);  // letters beyond ASCII fold
#endif
    const NativeCollation collation;
    struct Pair {
        std::string stored, asked;
    };
    const Pair pairs[] = {
        {"http://A.example/", "HTTP://a.EXAMPLE/"},
        {"http://a.example", "http://a.example/"},
        {"", ""},
        {"http://\xC3\x89T\xC3\x89.example", "http://\xC3\xA9t\xC3\xA9.example"},  // ÉTÉ, été
        {"http://k.example", "http://\xE2\x84\xAA.example"},                       // Kelvin sign
        {"http://i.example", "http://\xC4\xB0.example"},                           // İ
        {"http://I.example", "http://\xC4\xB1.example"},                           // ı
        {"http://\xC3\x9F.example", "http://SS.example"},                          // ß
        {"http://\xCF\x83.example", "http://\xCF\x82.example"},                    // σ, ς
        {"http://\xC9.example", "http://\xE9.example"},  // not UTF-8: É and é of Windows-1252
        {"http://a\xE9.example", "http://A\xE9.example"},
        {"a\0B"s, "A\0b"s},
        {"a\0b"s, "a\0c"s},  // the same key up to the zero byte
        {"a\0b"s, "a"},
    };
    int equal = 0;
    for (const auto& [stored, asked] : pairs) {
        BookmarkList list(collation);
        list.assign({{"http://other.example/", "", "", ""}, {stored, "", "", ""}});
        KnownSites known(list, collation);
        const bool same = collation.equalIgnoringCase(stored, asked);
        equal += same;
        EXPECT_EQ(known.contains(asked), same) << ::testing::PrintToString(asked);
        EXPECT_EQ(known.addIfNew(asked), !same) << ::testing::PrintToString(asked);
        EXPECT_FALSE(known.addIfNew(asked));  // a site added counts for the next
    }
    EXPECT_GT(equal, 3);  // the table holds both kinds
    EXPECT_LT(equal, 11);
#ifndef _WIN32
    unsetenv("LC_ALL");
#endif
}

}  // namespace
}  // namespace zn::testing
