#include "import/check_list.h"

#include <algorithm>
#include <numeric>

namespace zn {

std::size_t CheckList::add(std::string text, int data) {
    if (!sorted_) {
        items_.push_back({std::move(text), data, false});
        return items_.size() - 1;
    }
    const std::string key = collation_.sortKeyIgnoringCase(text);
    const auto place = std::partition_point(items_.begin(), items_.end(), [&](const auto& item) {
        return collation_.sortKeyIgnoringCase(item.text) <= key;
    });
    const auto index = static_cast<std::size_t>(place - items_.begin());
    items_.insert(place, {std::move(text), data, false});
    return index;
}

void CheckList::assign(std::vector<CheckListItem> items) {
    items_ = std::move(items);
    if (sorted_) sortItems();
}

void CheckList::setSorted() {
    if (sorted_) return;
    sorted_ = true;
    sortItems();
}

void CheckList::sortItems() {
    // Keys made once per item: a bookmark file may give a hundred thousand.
    std::vector<std::string> keys;
    keys.reserve(items_.size());
    for (const auto& item : items_) keys.push_back(collation_.sortKeyIgnoringCase(item.text));
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<CheckListItem> sorted;
    sorted.reserve(items_.size());
    for (const std::size_t index : order) sorted.push_back(std::move(items_[index]));
    items_ = std::move(sorted);
}

}  // namespace zn
