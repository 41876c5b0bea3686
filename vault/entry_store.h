// The entry store: the whole bookmark list as one enciphered value per entry
// under the entries key, written whole and read whole.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "vault/entry_key.h"
#include "vault/record.h"

namespace zn {

inline constexpr const char* kVaultKeyPath = "\\SOFTWARE\\Halvorn\\Bookmarks";
inline constexpr const char* kEntriesKeyPath = "\\SOFTWARE\\Halvorn\\Bookmarks\\Bookmarks";

// Values the list does not show, kept so that no save loses them: records a
// load could not split (a separator typed inside a site), enciphered afresh
// under the current key at every save; and the values a stopped load never
// read (the one that failed to decipher and every one after it), byte for byte.
struct UnreadValues {
    std::vector<std::string> unsplitRecords;
    std::vector<RegValue> undeciphered;
};

struct LoadedEntries {
    std::vector<BookmarkEntry> entries;  // in the store's order
    bool stoppedAtInvalidValue = false;  // a value did not decipher under the key
    UnreadValues unread;
};

// For a change of key: every kept value that opens under oldKey, sealed
// under newKey instead. Only values foreign to oldKey stay as they are.
UnreadValues reencipheredUnread(UnreadValues unread, EntryKey& oldKey, EntryKey& newKey);

// Name of the value that holds the entry at this list position.
std::string favoriteValueName(std::size_t index);

// Rewrites the entries key from the list, then appends the unread values,
// as one atomic batch: a failure leaves the previous list in place and raises.
void saveAllEntries(Registry& registry, EntryKey& key, const std::vector<BookmarkEntry>& entries,
                    const UnreadValues& unread);

// The same writes, inside a batch the caller holds open.
void writeAllEntries(Registry& registry, EntryKey& key, const std::vector<BookmarkEntry>& entries,
                     const UnreadValues& unread);

// Reads every value in the store's order; stops at the first that does not
// open under key (a wrong key, or a value altered). A record without "|||"
// gives no entry. A value that is not a string raises invalidDataType.
LoadedEntries loadAllEntries(Registry& registry, EntryKey& key);

// The same for an old vault, keyed by its stored verifier.
void saveAllEntries(Registry& registry, const std::string& verifier,
                    const std::vector<BookmarkEntry>& entries, const UnreadValues& unread);
LoadedEntries loadAllEntries(Registry& registry, const std::string& verifier);

}  // namespace zn
