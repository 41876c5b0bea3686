// Prints the vault's entries as the program would load them under the given
// master password: one line per entry, its four fields separated by tabs. The
// end-to-end tests read back what a run stored with it.
#include <iostream>

#include "platform/linux/registry_location.h"
#include "platform/linux/sqlite_registry.h"
#include "vault/entry_cipher.h"
#include "vault/entry_store.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_read_entries PASSWORD\n";
        return 2;
    }
    try {
        const auto registry = zn::SqliteRegistry::open(zn::registryLocation().string());
        const auto loaded = zn::loadAllEntries(*registry, zn::MakeVerifier(argv[1]));
        for (const zn::BookmarkEntry& entry : loaded.entries)
            std::cout << entry.site << '\t' << entry.description << '\t' << entry.userName << '\t'
                      << entry.password << '\n';
        return loaded.stoppedAtInvalidValue ? 1 : 0;
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << '\n';
        return 1;
    }
}
