// The registry port over one SQLite database file, shared safely by every
// process of the user (a second vault, setup, the znreg tool).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/shell_folders.h"
#include "platform/registry.h"

namespace zn {

struct SqliteRegistryOptions {
    // How long to wait for another process's write to finish before giving up.
    int busyTimeoutMs = 5000;
    // Where Run values are mirrored; by default $XDG_CONFIG_HOME/autostart.
    std::optional<std::filesystem::path> autostartFolder;
    // What a new store is seeded with; by default from the environment.
    std::optional<ShellFolderPaths> shellFolders;
};

// Where a one-line notice to the user goes (a store made private again).
using StoreNotice = std::function<void(const std::string&)>;

class SqliteRegistry : public Registry {
public:
    // Opens the store, creating it (folder 0700, file 0600, seeded shell
    // folders) when missing. Raises RegistryError when the file is not a
    // registry database, is a link to another user's file, or stays locked;
    // such a file is left untouched. An existing store open to other users is
    // made private. A store the user cannot write opens for reading, and
    // every write then raises "The store ... is read-only".
    static std::unique_ptr<SqliteRegistry> open(const std::string& path,
                                                const SqliteRegistryOptions& options = {},
                                                const StoreNotice& notice = {});  // stderr
    ~SqliteRegistry() override;

    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override;
    // Roots cannot be deleted: that raises RegistryError.
    bool deleteKey(RegRoot root, const std::string& path) override;
    std::unique_ptr<RegistryBatch> beginBatch() override;

    // For the command-line tool: names of the key's sub-keys as stored, in
    // the registry's order (alphabetical, ignoring case); empty when the key is missing.
    std::vector<std::string> subKeyNames(RegRoot root, const std::string& path) const;
    // The key's path with each name as stored; nullopt when the key is missing.
    std::optional<std::string> storedPath(RegRoot root, const std::string& path) const;

    const std::string& path() const;

    // For the command-line tool's export: calls visit for the key and every
    // key below it, parents first and sub-keys in subKeyNames order, each
    // opened from its parent, so that a deep tree costs no walks from the
    // root. `below` is the path under the given key, names as stored; the
    // keys are for reading only. False when the key is missing.
    bool visitTree(
        RegRoot root, const std::string& path,
        const std::function<void(const std::string& below, const RegistryKey& key)>& visit) const;

    class Store;

private:
    explicit SqliteRegistry(std::shared_ptr<Store> store);
    std::shared_ptr<Store> store_;
};

}  // namespace zn
