#include "vault/record.h"

#include <bit>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zn {
namespace {

constexpr std::string_view kSiteEnd = "|||";
constexpr std::string_view kDescriptionEnd = "&&&";
constexpr std::string_view kUserNameEnd = "@@@";
constexpr std::size_t kSeparatorLength = 3;

// Where the first separator of each kind starts in a record, as far as a
// split needs to look: the first "@@@" ends the search, as the other fields
// are cut from what precedes it. Every mark byte is tried once, in order.
struct SeparatorStarts {
    std::size_t site = std::string_view::npos;
    std::size_t description = std::string_view::npos;
    std::size_t userName = std::string_view::npos;
};

bool isMark(char byte) {
    return byte == kSiteEnd[0] || byte == kDescriptionEnd[0] || byte == kUserNameEnd[0];
}

SeparatorStarts findSeparators(std::string_view record) {
    SeparatorStarts starts;
    const char* const text = record.data();
    const std::size_t size = record.size();
    // True once the "@@@" is found: nothing after it matters.
    const auto markAt = [&](std::size_t at) {
        const char mark = text[at];
        if (size - at < kSeparatorLength || text[at + 1] != mark || text[at + 2] != mark)
            return false;
        if (mark == kUserNameEnd[0]) {
            starts.userName = at;
            return true;
        }
        auto& start = mark == kDescriptionEnd[0] ? starts.description : starts.site;
        if (start == std::string_view::npos) start = at;
        return false;
    };
    std::size_t at = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time: a record is some eighty bytes, nine of them marks.
    for (; size - at >= 16; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i marks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(kSiteEnd[0])),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8(kDescriptionEnd[0]))),
                         _mm_cmpeq_epi8(block, _mm_set1_epi8(kUserNameEnd[0])));
        for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(marks)); bits != 0;
             bits &= bits - 1)
            if (markAt(at + static_cast<std::size_t>(std::countr_zero(bits)))) return starts;
    }
#endif
    for (; at < size; ++at)
        if (isMark(text[at]) && markAt(at)) return starts;
    return starts;
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
    const auto fields = SplitRecordFields(record);
    if (!fields) return std::nullopt;
    return BookmarkEntry{std::string(fields->site), std::string(fields->description),
                         std::string(fields->userName), std::string(fields->password)};
}

std::optional<RecordFields> SplitRecordFields(std::string_view record) {
    // The fields are cut from the last towards the first, each at the first
    // separator of its kind in what is left before the later cuts.
    const auto starts = findSeparators(record);
    RecordFields fields{record, {}, {}, {}};
    const auto cut = [&fields](std::size_t start, std::string_view& field) {
        if (start >= fields.site.size()) return false;
        field = fields.site.substr(start + kSeparatorLength);
        fields.site = fields.site.substr(0, start);
        return true;
    };
    cut(starts.userName, fields.password);
    cut(starts.description, fields.userName);
    if (!cut(starts.site, fields.description)) return std::nullopt;
    return fields;
}

namespace {

std::string withoutSeparatorRuns(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text) {
        const bool mark = c == '|' || c == '&' || c == '@';
        const std::size_t size = kept.size();
        if (mark && size >= 2 && kept[size - 1] == c && kept[size - 2] == c) continue;
        kept += c;
    }
    return kept;
}

void dropTrailing(std::string& text, char mark) {
    while (!text.empty() && text.back() == mark) text.pop_back();
}

}  // namespace

BookmarkEntry entryFromOutside(std::string_view site, std::string_view description) {
    BookmarkEntry entry{withoutSeparatorRuns(site), withoutSeparatorRuns(description), "", ""};
    dropTrailing(entry.site, '|');
    dropTrailing(entry.description, '&');
    return entry;
}

}  // namespace zn
