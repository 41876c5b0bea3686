// The plain record one bookmark is flattened into before enciphering:
// site|||description&&&user@@@password. There is no escaping; a separator
// typed inside a field moves text on reading, and stored data depends on that
// exact behaviour, so it stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zn {

struct BookmarkEntry {
    std::string site;
    std::string description;
    std::string userName;
    std::string password;

    bool operator==(const BookmarkEntry&) const = default;
};

std::string JoinRecord(const BookmarkEntry& entry);
// The same into record, whose buffer is reused.
void JoinRecordInto(const BookmarkEntry& entry, std::string& record);
// Nothing when the record holds no "|||".
std::optional<BookmarkEntry> SplitRecord(const std::string& record);

// A bookmark made of texts from outside (a page's address and title, an
// imported address and name), which must never plant a user name or a
// password: every run of three or more '|', '&' or '@' is cut to two, and the
// site loses the '|' and the description the '&' at its end, which would
// join the separator after them. Such a row splits back into exactly itself.
BookmarkEntry entryFromOutside(std::string_view site, std::string_view description);

// The four fields as views into the record, for building an entry in place.
struct RecordFields {
    std::string_view site;
    std::string_view description;
    std::string_view userName;
    std::string_view password;
};
// Nothing when the record holds no "|||".
std::optional<RecordFields> SplitRecordFields(std::string_view record);

}  // namespace zn
