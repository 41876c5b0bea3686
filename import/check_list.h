// The list controls of the import dialog: items with a text, a tick and one
// integer, unsorted until switched to sorted mode, then kept in the locale's
// order ignoring letter case (items of equal text keep their order).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_collation.h"

namespace zn {

// An item's text lies in text its list keeps: it stays valid until the list
// is cleared or given new items.
struct CheckListItem {
    std::string_view text;
    int data = 0;
    bool checked = false;
};

class CheckList {
public:
    explicit CheckList(const TextCollation& collation) : collation_(collation) {}
    // A copy's items would point into this list's texts.
    CheckList(const CheckList&) = delete;
    CheckList& operator=(const CheckList&) = delete;

    const std::vector<CheckListItem>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    const CheckListItem& operator[](std::size_t index) const { return items_[index]; }
    bool sorted() const { return sorted_; }

    // Adds a copy of text at the end, or at its sorted place in sorted mode;
    // returns the place.
    std::size_t add(std::string_view text, int data = 0);
    // Replaces every item at once (sorted first in sorted mode). The texts are
    // copied side by side into one block the list keeps, so that they need
    // only last for the call: a hundred thousand addresses then cost no
    // allocation each.
    void assign(std::vector<CheckListItem> items);
    void clear() {
        items_.clear();
        texts_.clear();
    }
    void setSorted();
    void setChecked(std::size_t index, bool checked) { items_[index].checked = checked; }

private:
    void sortItems();

    const TextCollation& collation_;
    std::vector<CheckListItem> items_;
    std::deque<std::string> texts_;  // where the texts lie; a deque never moves its strings
    bool sorted_ = false;
};

}  // namespace zn
