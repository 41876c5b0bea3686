// The lists the store tests' saver stores, known to both sides.
#pragma once

#include <string>
#include <vector>

#include "vault/record.h"

namespace zn::testing {

inline const std::string kSavedListsKey = "a verifier for the kill test";

inline std::vector<BookmarkEntry> savedList(std::size_t length, const std::string& tag) {
    std::vector<BookmarkEntry> entries;
    for (std::size_t i = 0; i < length; ++i)
        entries.push_back({"https://" + tag + std::to_string(i) + ".example/", tag, "user", "pw"});
    return entries;
}

inline std::vector<BookmarkEntry> shorterSavedList() {
    return savedList(40, "short");
}
inline std::vector<BookmarkEntry> longerSavedList() {
    return savedList(90, "long");
}
// What each of two savers running at once stores, told apart by its tag.
inline std::vector<BookmarkEntry> concurrentSavedList(const std::string& tag) {
    return savedList(60, tag);
}

}  // namespace zn::testing
