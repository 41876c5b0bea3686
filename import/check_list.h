// The list controls of the import dialog: items with a text, a tick and one
// integer, unsorted until switched to sorted mode, then kept in the locale's
// order ignoring letter case (items of equal text keep their order).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/text_collation.h"

namespace zn {

struct CheckListItem {
    std::string text;
    int data = 0;
    bool checked = false;
};

class CheckList {
public:
    explicit CheckList(const TextCollation& collation) : collation_(collation) {}

    const std::vector<CheckListItem>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    const CheckListItem& operator[](std::size_t index) const { return items_[index]; }
    bool sorted() const { return sorted_; }

    // Adds at the end, or at the item's sorted place in sorted mode; returns the place.
    std::size_t add(std::string text, int data = 0);
    // Replaces every item at once (sorted first in sorted mode).
    void assign(std::vector<CheckListItem> items);
    void clear() { items_.clear(); }
    void setSorted();
    void setChecked(std::size_t index, bool checked) { items_[index].checked = checked; }

private:
    void sortItems();

    const TextCollation& collation_;
    std::vector<CheckListItem> items_;
    bool sorted_ = false;
};

}  // namespace zn
