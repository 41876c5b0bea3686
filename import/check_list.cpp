#include "import/check_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zn {

std::size_t CheckList::add(std::string_view text, int data) {
    const std::string_view kept = texts_.emplace_back(text);
    if (!sorted_) {
        items_.push_back({kept, data, false});
        return items_.size() - 1;
    }
    std::string key;
    collation_.appendSortKeyIgnoringCase(kept, key);
    std::string other;
    const auto place = std::partition_point(items_.begin(), items_.end(), [&](const auto& item) {
        other.clear();
        collation_.appendSortKeyIgnoringCase(item.text, other);
        return other <= key;
    });
    const auto index = static_cast<std::size_t>(place - items_.begin());
    items_.insert(place, {kept, data, false});
    return index;
}

void CheckList::assign(std::vector<CheckListItem> items) {
    std::size_t size = 0;
    for (const auto& item : items) size += item.text.size();
    std::string texts;
    texts.reserve(size);
    for (const auto& item : items) texts += item.text;
    texts_.clear();
    // The texts are pointed at once the block lies in the deque, where it stays.
    const std::string_view kept = texts_.emplace_back(std::move(texts));
    std::size_t start = 0;
    for (auto& item : items) {
        item.text = kept.substr(start, item.text.size());
        start += item.text.size();
    }
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
    std::size_t textBytes = 0;
    for (const auto& item : items_) textBytes += item.text.size();
    keys.reserve(textBytes);
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
        if (b.starts_with(a)) continue;
        shared = static_cast<std::size_t>(
            std::mismatch(a.begin(), a.end(), b.begin(), b.begin() + std::min(a.size(), b.size()))
                .first -
            a.begin());
    }
    // The eight bytes after the shared start, zeros past a key's end.
    const auto headOf = [&](std::uint32_t i) {
        std::array<unsigned char, 8> head{};
        const auto key = keyOf(i);
        if (key.size() > shared)
            std::memcpy(head.data(), key.data() + shared,
                        std::min<std::size_t>(head.size(), key.size() - shared));
        return head;
    };
    std::array<std::array<bool, 256>, 8> found{};
    for (std::uint32_t i = 0; i < items_.size(); ++i) {
        const auto head = headOf(i);
        for (std::size_t b = 0; b < head.size(); ++b) found[b][head[b]] = true;
    }
    // A position of the head holds few of the 256 byte values (digits, say):
    // each byte counts as its rank among those found there, and the ranks
    // make one mixed-radix number, which orders as the bytes do. As many
    // positions as fit in 32 bits take part; the index fills the other 32.
    std::array<std::array<std::uint32_t, 256>, 8> ranks{};
    std::array<std::uint32_t, 8> radix{};
    std::size_t positions = 0;
    std::uint64_t range = 1;
    for (; positions < found.size(); ++positions) {
        std::uint32_t distinct = 0;
        for (std::size_t value = 0; value < 256; ++value)
            if (found[positions][value]) ranks[positions][value] = distinct++;
        if (range * distinct > (std::uint64_t{1} << 32)) break;
        radix[positions] = distinct;
        range *= distinct;
    }
    // The ranked heads are then put in order a byte at a time, the lowest
    // byte first: each pass keeps the order of the one before, so equal heads
    // stay in item order. A byte that is the same in every head needs no pass.
    std::array<std::array<std::size_t, 256>, 4> counts{};
    std::vector<std::uint64_t> order(items_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        const auto head = headOf(i);
        std::uint32_t ranked = 0;
        for (std::size_t b = 0; b < positions; ++b) ranked = ranked * radix[b] + ranks[b][head[b]];
        for (std::size_t pass = 0; pass < counts.size(); ++pass)
            ++counts[pass][(ranked >> (8 * pass)) & 0xFF];
        order[i] = (std::uint64_t{ranked} << 32) | i;
    }
    std::vector<std::uint64_t> spare(order.size());
    for (std::size_t pass = 0; pass < counts.size(); ++pass) {
        const auto& count = counts[pass];
        if (std::find(count.begin(), count.end(), order.size()) != count.end()) continue;
        std::array<std::size_t, 256> starts;
        std::size_t start = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            starts[b] = start;
            start += count[b];
        }
        const std::size_t shift = 32 + 8 * pass;
        for (const std::uint64_t ranked : order) spare[starts[(ranked >> shift) & 0xFF]++] = ranked;
        order.swap(spare);
    }
    // Items of equal heads are then settled by their whole keys; equal keys
    // keep their order.
    const auto indexOf = [](std::uint64_t ranked) { return static_cast<std::uint32_t>(ranked); };
    for (auto run = order.begin(); run != order.end();) {
        auto end = run + 1;
        while (end != order.end() && (*end >> 32) == (*run >> 32)) ++end;
        if (end - run > 1)
            std::sort(run, end, [&](std::uint64_t a, std::uint64_t b) {
                const int compared = keyOf(indexOf(a)).compare(keyOf(indexOf(b)));
                return compared != 0 ? compared < 0 : indexOf(a) < indexOf(b);
            });
        run = end;
    }
    std::vector<CheckListItem> sorted;
    sorted.reserve(items_.size());
    for (const std::uint64_t ranked : order) sorted.push_back(items_[indexOf(ranked)]);
    items_ = std::move(sorted);
}

}  // namespace zn
