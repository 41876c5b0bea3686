#include "vault/record.h"

namespace zn {
namespace {

constexpr const char* kSiteEnd = "|||";
constexpr const char* kDescriptionEnd = "&&&";
constexpr const char* kUserNameEnd = "@@@";
constexpr std::size_t kSeparatorLength = 3;

// Cuts rest at the first separator: what follows goes to field, rest keeps
// what precedes. Without the separator both stay as they are.
bool cutAt(std::string& rest, const char* separator, std::string& field) {
    const auto position = rest.find(separator);
    if (position == std::string::npos) return false;
    field = rest.substr(position + kSeparatorLength);
    rest.resize(position);
    return true;
}

}  // namespace

std::string JoinRecord(const BookmarkEntry& entry) {
    return entry.site + kSiteEnd + entry.description + kDescriptionEnd + entry.userName +
           kUserNameEnd + entry.password;
}

std::optional<BookmarkEntry> SplitRecord(const std::string& record) {
    // The fields are taken from the last towards the first.
    BookmarkEntry entry;
    std::string rest = record;
    cutAt(rest, kUserNameEnd, entry.password);
    cutAt(rest, kDescriptionEnd, entry.userName);
    if (!cutAt(rest, kSiteEnd, entry.description)) return std::nullopt;
    entry.site = rest;
    return entry;
}

}  // namespace zn
