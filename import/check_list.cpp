#include "import/check_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

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
    // The keys side by side in one buffer: a bookmark file may give a hundred
    // thousand items, and one allocation per key would cost more than the sort.
    std::string keys;
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // offset and length of each key
    spans.reserve(items_.size());
    for (const auto& item : items_) {
        const std::size_t start = keys.size();
        collation_.appendSortKeyIgnoringCase(item.text, keys);
        spans.emplace_back(start, keys.size() - start);
    }
    const auto keyOf = [&](std::uint32_t i) {
        return std::string_view(keys).substr(spans[i].first, spans[i].second);
    };
    // Most keys differ soon after the part they all share ("https://"), so
    // eight bytes from there, as one number, settle most comparisons.
    std::size_t shared = items_.empty() ? 0 : spans[0].second;
    for (std::uint32_t i = 1; i < items_.size() && shared > 0; ++i) {
        const auto a = keyOf(0).substr(0, shared);
        const auto b = keyOf(i);
        std::size_t same = 0;
        while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
        shared = same;
    }
    struct Ranked {
        std::uint64_t head;
        std::uint32_t index;
    };
    std::vector<Ranked> order(items_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        std::uint64_t head = 0;
        const auto key = keyOf(i);
        for (std::size_t b = 0; b < 8; ++b)
            head = (head << 8) |
                   (shared + b < key.size() ? static_cast<unsigned char>(key[shared + b]) : 0u);
        order[i] = {head, i};
    }
    // The heads put in order a byte at a time, the last byte first: each pass
    // keeps the order of the one before, so equal heads stay in item order.
    // A byte that is the same in every head needs no pass.
    std::vector<Ranked> spare(order.size());
    for (unsigned shift = 0; shift < 64; shift += 8) {
        std::array<std::size_t, 257> starts{};
        for (const Ranked& ranked : order) ++starts[((ranked.head >> shift) & 0xFF) + 1];
        if (std::find(starts.begin(), starts.end(), order.size()) != starts.end()) continue;
        for (std::size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
        for (const Ranked& ranked : order) spare[starts[(ranked.head >> shift) & 0xFF]++] = ranked;
        order.swap(spare);
    }
    // Items of equal heads are then settled by their whole keys; equal keys
    // keep their order.
    for (auto run = order.begin(); run != order.end();) {
        auto end = run + 1;
        while (end != order.end() && end->head == run->head) ++end;
        if (end - run > 1)
            std::sort(run, end, [&](const Ranked& a, const Ranked& b) {
                const int compared = keyOf(a.index).compare(keyOf(b.index));
                return compared != 0 ? compared < 0 : a.index < b.index;
            });
        run = end;
    }
    std::vector<CheckListItem> sorted;
    sorted.reserve(items_.size());
    for (const Ranked& ranked : order) sorted.push_back(std::move(items_[ranked.index]));
    items_ = std::move(sorted);
}

}  // namespace zn
