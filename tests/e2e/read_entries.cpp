// Prints the vault's entries as the program would load them under the given
// master password, in either format: one line per entry, its four fields
// separated by tabs. The end-to-end tests read back what a run stored with it.
#include <iostream>

#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#else
#include "platform/linux/registry_location.h"
#include "platform/linux/sqlite_registry.h"
#endif
#include "vault/entry_store.h"
#include "vault/protected_vault.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: e2e_read_entries PASSWORD\n";
        return 2;
    }
    try {
#ifdef _WIN32
        const auto registry = std::make_unique<zn::win32::Win32Registry>();
#else
        const auto registry = zn::SqliteRegistry::open(zn::registryLocation().string());
#endif
        std::string stored;
        if (const auto vaultKey =
                registry->openKey(zn::RegRoot::CurrentUser, zn::kVaultKeyPath, false))
            stored = vaultKey->readString("Password");
        const auto key = zn::unlockAnyVault(stored, argv[1]);
        if (!key) {
            std::cerr << "the vault does not open with this password\n";
            return 1;
        }
        const auto loaded = zn::loadAllEntries(*registry, *key);
        for (const zn::BookmarkEntry& entry : loaded.entries)
            std::cout << entry.site << '\t' << entry.description << '\t' << entry.userName << '\t'
                      << entry.password << '\n';
        return loaded.stoppedAtInvalidValue ? 1 : 0;
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << '\n';
        return 1;
    }
}
