#include "vault/record.h"

#include <cstring>
#include <string_view>

namespace zn {
namespace {

constexpr std::string_view kSiteEnd = "|||";
constexpr std::string_view kDescriptionEnd = "&&&";
constexpr std::string_view kUserNameEnd = "@@@";
constexpr std::size_t kSeparatorLength = 3;

// Where the first run of three `mark` bytes starts in text, or npos. Every
// separator is one byte three times: a byte search and two compares.
std::size_t findSeparator(std::string_view text, char mark) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* at = begin; end - at >= 3;) {
        at =
            static_cast<const char*>(std::memchr(at, mark, static_cast<std::size_t>(end - at - 2)));
        if (!at) break;
        if (at[1] != mark)
            at += 2;
        else if (at[2] != mark)
            at += 3;
        else
            return static_cast<std::size_t>(at - begin);
    }
    return std::string_view::npos;
}

// Cuts rest at the first separator: what follows goes to field, rest keeps
// what precedes. Without the separator both stay as they are.
bool cutAt(std::string_view& rest, std::string_view separator, std::string_view& field) {
    const auto position = findSeparator(rest, separator[0]);
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
    BookmarkEntry entry;
    if (!SplitRecordInto(record, entry)) return std::nullopt;
    return entry;
}

bool SplitRecordInto(std::string_view record, BookmarkEntry& entry) {
    // The fields are taken from the last towards the first.
    std::string_view rest = record;
    std::string_view description, userName, password;
    cutAt(rest, kUserNameEnd, password);
    cutAt(rest, kDescriptionEnd, userName);
    if (!cutAt(rest, kSiteEnd, description)) return false;
    entry.site.assign(rest);
    entry.description.assign(description);
    entry.userName.assign(userName);
    entry.password.assign(password);
    return true;
}

}  // namespace zn
