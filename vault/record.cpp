#include "vault/record.h"

#include <string_view>

namespace zn {
namespace {

constexpr std::string_view kSiteEnd = "|||";
constexpr std::string_view kDescriptionEnd = "&&&";
constexpr std::string_view kUserNameEnd = "@@@";
constexpr std::size_t kSeparatorLength = 3;

// Cuts rest at the first separator: what follows goes to field, rest keeps
// what precedes. Without the separator both stay as they are.
bool cutAt(std::string_view& rest, std::string_view separator, std::string_view& field) {
    const auto position = rest.find(separator);
    if (position == std::string_view::npos) return false;
    field = rest.substr(position + kSeparatorLength);
    rest = rest.substr(0, position);
    return true;
}

}  // namespace

std::string JoinRecord(const BookmarkEntry& entry) {
    std::string record;
    JoinRecordInto(entry, record);
    return record;
}

void JoinRecordInto(const BookmarkEntry& entry, std::string& record) {
    record.clear();
    record.reserve(entry.site.size() + entry.description.size() + entry.userName.size() +
                   entry.password.size() + 3 * kSeparatorLength);
    record.append(entry.site).append(kSiteEnd).append(entry.description);
    record.append(kDescriptionEnd).append(entry.userName).append(kUserNameEnd);
    record.append(entry.password);
}

std::optional<BookmarkEntry> SplitRecord(const std::string& record) {
    // The fields are taken from the last towards the first.
    std::string_view rest = record;
    std::string_view description, userName, password;
    cutAt(rest, kUserNameEnd, password);
    cutAt(rest, kDescriptionEnd, userName);
    if (!cutAt(rest, kSiteEnd, description)) return std::nullopt;
    return BookmarkEntry{std::string(rest), std::string(description), std::string(userName),
                         std::string(password)};
}

}  // namespace zn
