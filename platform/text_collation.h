// The locale's text order, as the bookmark list sorts and compares sites.
#pragma once

#include <string>
#include <string_view>

namespace zn {

class TextCollation {
public:
    virtual ~TextCollation() = default;
    // A byte string whose plain byte order is the locale's case-sensitive
    // order of the texts; computed once per row so that sorting stays cheap.
    virtual std::string sortKey(const std::string& text) const = 0;
    // The same for the locale's order that ignores letter case: texts that
    // differ only in case get equal keys.
    virtual std::string sortKeyIgnoringCase(const std::string& text) const = 0;
    // Appends that key to keys: sorting many texts then needs no allocation per key.
    virtual void appendSortKeyIgnoringCase(std::string_view text, std::string& keys) const {
        keys += sortKeyIgnoringCase(std::string(text));
    }
    // Equality ignoring letter case, in the user's character set.
    virtual bool equalIgnoringCase(const std::string& a, const std::string& b) const = 0;
};

}  // namespace zn
