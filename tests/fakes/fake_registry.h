// An in-memory registry with the store's semantics: case-insensitive names
// that keep their case, values in creation order, deleting a key deletes its
// tree, batches that roll back and never nest. It forgives no more than the
// strictest store: a failed write is undone only by a batch. Tests can make
// writes fail after a count.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace zn::testing {

class FakeRegistry : public Registry {
public:
    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override;
    bool deleteKey(RegRoot root, const std::string& path) override;
    std::unique_ptr<RegistryBatch> beginBatch() override;

    // The next `count` value writes succeed; every one after them fails.
    void failWritesAfter(int count) { writesBeforeFailure_ = count; }
    void stopFailing() { writesBeforeFailure_.reset(); }
    // Reads fail while set, as from a store that cannot be read.
    bool failReads = false;
    int writeCount() const { return writeCount_; }

    // Direct access for assertions.
    bool keyExists(RegRoot root, const std::string& path) const;
    std::optional<RegValue> value(RegRoot root, const std::string& path,
                                  const std::string& name) const;
    std::vector<std::string> valueNames(RegRoot root, const std::string& path) const;
    void setValue(RegRoot root, const std::string& path, const std::string& name, RegValue value);

private:
    friend class FakeKey;
    friend class FakeBatch;
    struct Key {
        std::vector<std::pair<std::string, RegValue>> values;
    };
    using Tree = std::map<std::string, Key>;  // "root|folded\path" -> key

    static std::string keyId(RegRoot root, const std::string& path);
    Key* find(const std::string& id);
    void deleteSubKeys(const std::string& id);
    bool consumeWrite();

    Tree keys_;
    std::optional<Tree> snapshot_;
    std::optional<int> writesBeforeFailure_;
    int writeCount_ = 0;
};

}  // namespace zn::testing
