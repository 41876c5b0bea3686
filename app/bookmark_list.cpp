#include "app/bookmark_list.h"

#include <algorithm>
#include <iterator>

namespace zn {

std::vector<BookmarkEntry> BookmarkList::entries() const {
    std::vector<BookmarkEntry> result;
    result.reserve(rows_.size());
    for (const auto& row : rows_) result.push_back(row.entry);
    return result;
}

BookmarkList::Row BookmarkList::makeRow(BookmarkEntry entry) const {
    std::string key = collation_.sortKey(entry.site);
    return Row{std::move(entry), std::move(key)};
}

std::size_t BookmarkList::sortedPosition(const std::string& sortKey) const {
    const auto it =
        std::upper_bound(rows_.begin(), rows_.end(), sortKey,
                         [](const std::string& key, const Row& row) { return key < row.sortKey; });
    return static_cast<std::size_t>(it - rows_.begin());
}

std::size_t BookmarkList::add(BookmarkEntry entry) {
    Row row = makeRow(std::move(entry));
    const std::size_t position = sortedPosition(row.sortKey);
    observer().beforeInsert(position);
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
    if (selected_ && *selected_ >= position) ++*selected_;
    observer().afterInsert(position);
    return position;
}

void BookmarkList::addAll(std::vector<BookmarkEntry> entries) {
    if (entries.empty()) return;
    std::vector<Row> added;
    added.reserve(entries.size());
    for (auto& entry : entries) added.push_back(makeRow(std::move(entry)));
    std::stable_sort(added.begin(), added.end(),
                     [](const Row& a, const Row& b) { return a.sortKey < b.sortKey; });
    observer().beforeReset();
    std::vector<Row> merged;
    merged.reserve(rows_.size() + added.size());
    std::optional<std::size_t> selected;
    auto next = added.begin();
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        // A new row goes after every row of an equal site, as add() places it.
        while (next != added.end() && next->sortKey < rows_[row].sortKey)
            merged.push_back(std::move(*next++));
        if (selected_ == row) selected = merged.size();
        merged.push_back(std::move(rows_[row]));
    }
    std::move(next, added.end(), std::back_inserter(merged));
    rows_ = std::move(merged);
    selected_ = selected;
    observer().afterReset();
    observer().selectionChanged();
}

void BookmarkList::assign(std::vector<BookmarkEntry> entries) {
    observer().beforeReset();
    rows_.clear();
    rows_.reserve(entries.size());
    for (auto& entry : entries) rows_.push_back(makeRow(std::move(entry)));
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const Row& a, const Row& b) { return a.sortKey < b.sortKey; });
    selected_.reset();
    observer().afterReset();
    observer().selectionChanged();
}

void BookmarkList::remove(std::size_t row) {
    if (row >= rows_.size()) return;
    observer().beforeRemove(row);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    if (selected_) {
        if (*selected_ == row)
            selected_.reset();
        else if (*selected_ > row)
            --*selected_;
    }
    observer().afterRemove(row);
    observer().selectionChanged();
}

std::size_t BookmarkList::setSite(std::size_t row, const std::string& site) {
    const bool wasSelected = selected_ == row;
    BookmarkEntry entry = rows_[row].entry;
    entry.site = site;
    remove(row);
    const std::size_t position = add(std::move(entry));
    if (wasSelected) select(position);
    return position;
}

void BookmarkList::setDetails(std::size_t row, const std::string& description,
                              const std::string& userName, const std::string& password) {
    auto& entry = rows_[row].entry;
    entry.description = description;
    entry.userName = userName;
    entry.password = password;
    observer().rowChanged(row);
}

std::optional<std::size_t> BookmarkList::findBySite(const std::string& text) const {
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (collation_.equalIgnoringCase(rows_[row].entry.site, text)) return row;
    return std::nullopt;
}

void BookmarkList::select(std::optional<std::size_t> row) {
    if (row && *row >= rows_.size()) row.reset();
    if (row == selected_) return;
    selected_ = row;
    observer().selectionChanged();
}

}  // namespace zn
