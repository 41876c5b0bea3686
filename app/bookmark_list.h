// The bookmark list of the main window: the only copy of the entries in
// memory, kept sorted by site in the locale's case-sensitive order, with at
// most one selected row. Views watch it through ListObserver.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_collation.h"
#include "vault/record.h"

namespace zn {

// Told before and after every change, so that a view model can keep its
// indexes consistent. Rows are list positions.
class ListObserver {
public:
    virtual ~ListObserver() = default;
    virtual void beforeReset() {}
    virtual void afterReset() {}
    virtual void beforeInsert(std::size_t /*row*/) {}
    virtual void afterInsert(std::size_t /*row*/) {}
    virtual void beforeRemove(std::size_t /*row*/) {}
    virtual void afterRemove(std::size_t /*row*/) {}
    virtual void rowChanged(std::size_t /*row*/) {}
    virtual void selectionChanged() {}
};

class BookmarkList {
public:
    explicit BookmarkList(const TextCollation& collation) : collation_(collation) {}

    void setObserver(ListObserver* observer) { observer_ = observer; }

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const BookmarkEntry& at(std::size_t row) const { return rows_[row].entry; }
    std::vector<BookmarkEntry> entries() const;

    // Places the row after any rows of an equal site; returns its position.
    std::size_t add(BookmarkEntry entry);
    // The same as adding the entries one by one, in their order, but in one
    // pass and told to the observer as one reset: a large import then costs
    // no shifting of the rows for each new one. The selection follows its row.
    void addAll(std::vector<BookmarkEntry> entries);
    // Replaces every row at once, in sorted order; equal sites keep their order.
    void assign(std::vector<BookmarkEntry> entries);
    void clear() { assign({}); }
    void remove(std::size_t row);
    // Changes the site and moves the row to its sorted place; the selection
    // follows the row. Returns the new position.
    std::size_t setSite(std::size_t row, const std::string& site);
    void setDetails(std::size_t row, const std::string& description, const std::string& userName,
                    const std::string& password);

    // The first row whose site equals text as a whole, ignoring letter case.
    std::optional<std::size_t> findBySite(const std::string& text) const;

    std::optional<std::size_t> selected() const { return selected_; }
    void select(std::optional<std::size_t> row);

private:
    struct Row {
        BookmarkEntry entry;
        std::string sortKey;
    };

    Row makeRow(BookmarkEntry entry) const;
    std::size_t sortedPosition(const std::string& sortKey) const;

    const TextCollation& collation_;
    std::vector<Row> rows_;
    std::optional<std::size_t> selected_;
    ListObserver* observer_ = nullptr;
    ListObserver silent_;
    ListObserver& observer() { return observer_ ? *observer_ : silent_; }
};

}  // namespace zn
