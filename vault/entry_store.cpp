#include "vault/entry_store.h"

#include <algorithm>
#include <optional>

#include "vault/entry_cipher.h"

namespace zn {
namespace {

// A field that becomes its string where it is stored: the entry's members
// are made from the conversion's result, with no temporary moved in.
struct MadeInPlace {
    std::string_view text;
    operator std::string() const { return std::string(text); }  // NOLINT: implicit on purpose
};

}  // namespace

std::string favoriteValueName(std::size_t index) {
    return "Favorite" + std::to_string(index);
}

void saveAllEntries(Registry& registry, EntryKey& key, const std::vector<BookmarkEntry>& entries,
                    const UnreadValues& unread) {
    const auto batch = registry.beginBatch();
    writeAllEntries(registry, key, entries, unread);
    batch->commit();
}

void writeAllEntries(Registry& registry, EntryKey& key, const std::vector<BookmarkEntry>& entries,
                     const UnreadValues& unread) {
    std::vector<NamedValue> values;
    values.reserve(entries.size() + unread.unsplitRecords.size() + unread.undeciphered.size());
    auto add = [&values](RegValue value) {
        values.push_back({favoriteValueName(values.size()), std::move(value)});
    };
    auto enciphered = [&key](const std::string& record) {
        RegValue value{RegType::String, key.seal(record)};
        value.data.push_back('\0');  // as encodeStringData, without a copy
        return value;
    };
    std::string record;  // one buffer for the whole list
    for (const auto& entry : entries) {
        JoinRecordInto(entry, record);
        add(enciphered(record));
    }
    // Renumbered after the rows so that they can never collide with a row's name.
    for (const auto& record : unread.unsplitRecords) add(enciphered(record));
    for (const auto& value : unread.undeciphered) add(value);
    crypto::wipe(record);
    // The entries key is rewritten whole, as deleting and making it afresh would.
    const auto entriesKey = registry.openKey(RegRoot::CurrentUser, kEntriesKeyPath, true);
    if (!entriesKey) throw failedToSetData(favoriteValueName(0));
    entriesKey->replaceContents(values);
}

UnreadValues reencipheredUnread(UnreadValues unread, EntryKey& oldKey, EntryKey& newKey) {
    std::string record;
    for (auto& value : unread.undeciphered) {
        if (value.type != RegType::String && value.type != RegType::ExpandString) continue;
        if (oldKey.open(decodeStringData(value.data), record) && !record.empty())
            value.data = encodeStringData(newKey.seal(record));
    }
    crypto::wipe(record);
    return unread;
}

void saveAllEntries(Registry& registry, const std::string& verifier,
                    const std::vector<BookmarkEntry>& entries, const UnreadValues& unread) {
    LegacyEntryKey key(verifier);
    saveAllEntries(registry, key, entries, unread);
}

LoadedEntries loadAllEntries(Registry& registry, const std::string& verifier) {
    LegacyEntryKey key(verifier);
    return loadAllEntries(registry, key);
}

LoadedEntries loadAllEntries(Registry& registry, EntryKey& key) {
    LoadedEntries loaded;
    const auto entriesKey = registry.openKey(RegRoot::CurrentUser, kEntriesKeyPath, true);
    if (!entriesKey) return loaded;
    // Room for the whole list at once: growing it moves every entry made so
    // far. The bound may count values of other keys, so however many of those
    // a store holds, no more than this is reserved; a longer list grows past it.
    constexpr std::size_t kMostEntriesReserved = 1 << 16;
    loaded.entries.reserve(std::min(entriesKey->valueCountBound(), kMostEntriesReserved));
    std::string record;  // one buffer for the whole list
    std::size_t position = 0;
    std::optional<std::size_t> wrongType;
    entriesKey->forEachValue([&](RegType type, std::string_view data) {
        const std::size_t index = position++;
        if (wrongType) return;
        if (!loaded.stoppedAtInvalidValue) {
            // Not a wrong password: the store's own error, and nothing is saved over it.
            if (type != RegType::String && type != RegType::ExpandString) {
                wrongType = index;
                return;
            }
            // The text without its one terminating zero; inner zeros belong to it.
            const bool terminated = !data.empty() && data.back() == '\0';
            if (key.open(data.substr(0, data.size() - (terminated ? 1 : 0)), record) &&
                !record.empty()) {
                // Each field is built once, in its place in the list.
                if (const auto fields = SplitRecordFields(record))
                    loaded.entries.emplace_back(MadeInPlace{fields->site},
                                                MadeInPlace{fields->description},
                                                MadeInPlace{fields->userName},
                                                MadeInPlace{fields->password});
                else
                    loaded.unread.unsplitRecords.push_back(record);
                return;
            }
            loaded.stoppedAtInvalidValue = true;
        }
        loaded.unread.undeciphered.push_back({type, std::string(data)});
    });
    crypto::wipe(record);
    if (wrongType) {
        const auto names = entriesKey->valueNames();
        throw invalidDataType(*wrongType < names.size() ? names[*wrongType]
                                                        : favoriteValueName(*wrongType));
    }
    return loaded;
}

}  // namespace zn
