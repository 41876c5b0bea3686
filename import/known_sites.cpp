#include "import/known_sites.h"

namespace zn {

KnownSites::KnownSites(const BookmarkList& list, const TextCollation& collation)
    : collation_(collation) {
    sitesByKey_.reserve(list.size());
    for (std::size_t row = 0; row < list.size(); ++row)
        sitesByKey_.emplace(keyOf(list.at(row).site), list.at(row).site);
}

bool KnownSites::contains(const std::string& site) const {
    return containsWithKey(keyOf(site), site);
}

bool KnownSites::addIfNew(const std::string& site) {
    std::string key = keyOf(site);
    if (containsWithKey(key, site)) return false;
    sitesByKey_.emplace(std::move(key), site);
    return true;
}

bool KnownSites::containsWithKey(const std::string& key, const std::string& site) const {
    const auto [first, last] = sitesByKey_.equal_range(key);
    for (auto it = first; it != last; ++it)
        if (collation_.equalIgnoringCase(it->second, site)) return true;
    return false;
}

}  // namespace zn
