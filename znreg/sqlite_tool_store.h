// The znreg tool's view of the SQLite store: sub-keys listed and walked from
// their parents, and the store's files, which an export must never replace.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/sqlite_registry.h"
#include "znreg/reg_command.h"

namespace zn::regtool {

class SqliteToolStore : public RegToolStore {
public:
    explicit SqliteToolStore(SqliteRegistry& registry) : registry_(registry) {}
    explicit SqliteToolStore(std::unique_ptr<SqliteRegistry> owned)
        : owned_(std::move(owned)), registry_(*owned_) {}

    Registry& registry() override { return registry_; }
    std::vector<std::string> subKeyNames(RegRoot root, const std::string& path) override {
        return registry_.subKeyNames(root, path);
    }
    void visitTree(const KeyName& top, const TreeVisitor& visit) override {
        registry_.visitTree(
            top.root, top.path, [&](const std::string& below, const RegistryKey& key) {
                if (below.empty()) return visit(top, key);
                const std::string path = top.path.empty() ? below : top.path + '\\' + below;
                visit(KeyName{top.root, path}, key);
            });
    }
    std::vector<std::string> storeFiles() const override {
        const std::string& path = registry_.path();
        return {path, path + "-wal", path + "-shm", path + "-journal"};
    }

private:
    std::unique_ptr<SqliteRegistry> owned_;
    SqliteRegistry& registry_;
};

}  // namespace zn::regtool
