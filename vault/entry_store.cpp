#include "vault/entry_store.h"

#include "vault/entry_cipher.h"

namespace zn {

std::string favoriteValueName(std::size_t index) {
    return "Favorite" + std::to_string(index);
}

void saveAllEntries(Registry& registry, const std::string& key,
                    const std::vector<BookmarkEntry>& entries, const UnreadValues& unread) {
    const auto batch = registry.beginBatch();
    writeAllEntries(registry, key, entries, unread);
    batch->commit();
}

void writeAllEntries(Registry& registry, const std::string& key,
                     const std::vector<BookmarkEntry>& entries, const UnreadValues& unread) {
    registry.deleteKey(RegRoot::CurrentUser, kEntriesKeyPath);
    const auto entriesKey = registry.openKey(RegRoot::CurrentUser, kEntriesKeyPath, true);
    if (!entriesKey) throw failedToSetData(favoriteValueName(0));
    std::size_t index = 0;
    for (const auto& entry : entries)
        entriesKey->writeString(favoriteValueName(index++), Encipher(JoinRecord(entry), key));
    // Renumbered after the rows so that they can never collide with a row's name.
    for (const auto& record : unread.unsplitRecords)
        entriesKey->writeString(favoriteValueName(index++), Encipher(record, key));
    for (const auto& value : unread.undeciphered)
        entriesKey->writeValue(favoriteValueName(index++), value);
}

UnreadValues reencipheredUnread(UnreadValues unread, const std::string& oldKey,
                                const std::string& newKey) {
    for (auto& value : unread.undeciphered) {
        if (value.type != RegType::String && value.type != RegType::ExpandString) continue;
        const std::string record = Decipher(decodeStringData(value.data), oldKey);
        if (!record.empty()) value.data = encodeStringData(Encipher(record, newKey));
    }
    return unread;
}

LoadedEntries loadAllEntries(Registry& registry, const std::string& key) {
    LoadedEntries loaded;
    const auto entriesKey = registry.openKey(RegRoot::CurrentUser, kEntriesKeyPath, true);
    if (!entriesKey) return loaded;
    for (const auto& name : entriesKey->valueNames()) {
        const auto value = entriesKey->readValue(name);
        if (!value) continue;
        if (loaded.stoppedAtInvalidValue) {
            loaded.unread.undeciphered.push_back(*value);
            continue;
        }
        // Not a wrong password: the store's own error, and nothing is saved over it.
        if (value->type != RegType::String && value->type != RegType::ExpandString)
            throw invalidDataType(name);
        const std::string record = Decipher(decodeStringData(value->data), key);
        if (record.empty()) {
            loaded.stoppedAtInvalidValue = true;
            loaded.unread.undeciphered.push_back(*value);
            continue;
        }
        if (auto entry = SplitRecord(record))
            loaded.entries.push_back(std::move(*entry));
        else
            loaded.unread.unsplitRecords.push_back(record);
    }
    return loaded;
}

}  // namespace zn
