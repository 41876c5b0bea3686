// The sites an import compares its addresses with: the list's rows and the
// rows the import has added so far, looked up in constant time instead of
// compared one by one. Two sites are the same when the list's own search
// would say so (the collation's equality ignoring letter case).
#pragma once

#include <string>
#include <unordered_map>

#include "app/bookmark_list.h"
#include "platform/text_collation.h"

namespace zn {

class KnownSites {
public:
    // Every site of the list.
    KnownSites(const BookmarkList& list, const TextCollation& collation);

    bool contains(const std::string& site) const;
    // Adds the site unless it is known; true when it was new.
    bool addIfNew(const std::string& site);

private:
    // Sites equal ignoring case have equal case-blind sort keys, so the key
    // finds every candidate; the equality then decides, since a key may be
    // shared by texts that differ (it stops at a zero byte, and a locale may
    // give two spellings one key).
    std::string keyOf(const std::string& site) const {
        return collation_.sortKeyIgnoringCase(site);
    }
    bool containsWithKey(const std::string& key, const std::string& site) const;

    const TextCollation& collation_;
    std::unordered_multimap<std::string, std::string> sitesByKey_;
};

}  // namespace zn
