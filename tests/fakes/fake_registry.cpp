#include "tests/fakes/fake_registry.h"

#include <algorithm>
#include <cctype>

namespace zn::testing {
namespace {

std::string fold(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

bool sameName(const std::string& a, const std::string& b) {
    return fold(a) == fold(b);
}

// Lower-cased, without leading, trailing or doubled separators.
std::string normalisePath(const std::string& path) {
    std::string result;
    std::string part;
    auto flush = [&] {
        if (part.empty()) return;
        if (!result.empty()) result += '\\';
        result += fold(part);
        part.clear();
    };
    for (char c : path) {
        if (c == '\\')
            flush();
        else
            part += c;
    }
    flush();
    return result;
}

}  // namespace

class FakeKey : public RegistryKey {
public:
    FakeKey(FakeRegistry& owner, std::string id) : owner_(owner), id_(std::move(id)) {}

    std::optional<RegValue> readValue(const std::string& name) const override {
        if (owner_.failReads) throw RegistryError("Cannot read the store");
        auto* key = owner_.find(id_);
        if (!key) return std::nullopt;
        for (const auto& [valueName, value] : key->values)
            if (sameName(valueName, name)) return value;
        return std::nullopt;
    }

    void writeValue(const std::string& name, const RegValue& value) override {
        auto* key = owner_.find(id_);
        if (!key || !owner_.consumeWrite()) throw failedToSetData(name);
        for (auto& [valueName, existing] : key->values)
            if (sameName(valueName, name)) {
                existing = value;
                return;
            }
        key->values.emplace_back(name, value);
    }

    bool deleteValue(const std::string& name) override {
        auto* key = owner_.find(id_);
        if (!key) return false;
        auto& values = key->values;
        const auto it = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
            return sameName(entry.first, name);
        });
        if (it == values.end()) return false;
        values.erase(it);
        return true;
    }

    std::vector<std::string> valueNames() const override {
        if (owner_.failReads) throw RegistryError("Cannot read the store");
        std::vector<std::string> names;
        if (auto* key = owner_.find(id_))
            for (const auto& entry : key->values) names.push_back(entry.first);
        return names;
    }

    void replaceContents(const std::vector<NamedValue>& values) override {
        auto* key = owner_.find(id_);
        if (!key) throw failedToSetData(values.empty() ? std::string() : values.front().name);
        // Nothing puts the old values back on a failure but a batch: the
        // registry itself stops at the value that failed.
        key->values.clear();
        owner_.deleteSubKeys(id_);
        for (const auto& [name, value] : values) writeValue(name, value);
    }

private:
    FakeRegistry& owner_;
    std::string id_;
};

class FakeBatch : public RegistryBatch {
public:
    explicit FakeBatch(FakeRegistry& owner) : owner_(owner) { owner_.snapshot_ = owner_.keys_; }
    ~FakeBatch() override {
        if (!open_) return;
        owner_.keys_ = std::move(*owner_.snapshot_);
        owner_.snapshot_.reset();
    }
    void commit() override {
        if (open_) owner_.snapshot_.reset();
        open_ = false;
    }

private:
    FakeRegistry& owner_;
    bool open_ = true;  // a batch committed earlier must not undo a later one
};

std::string FakeRegistry::keyId(RegRoot root, const std::string& path) {
    return std::to_string(static_cast<int>(root)) + "|" + normalisePath(path);
}

FakeRegistry::Key* FakeRegistry::find(const std::string& id) {
    const auto it = keys_.find(id);
    return it == keys_.end() ? nullptr : &it->second;
}

bool FakeRegistry::consumeWrite() {
    ++writeCount_;
    if (!writesBeforeFailure_) return true;
    if (*writesBeforeFailure_ <= 0) return false;
    --*writesBeforeFailure_;
    return true;
}

std::unique_ptr<RegistryKey> FakeRegistry::openKey(RegRoot root, const std::string& path,
                                                   bool create) {
    const std::string id = keyId(root, path);
    if (!find(id)) {
        if (!create) return nullptr;
        const std::string normal = normalisePath(path);
        if (static_cast<std::size_t>(std::count(normal.begin(), normal.end(), '\\')) >=
            kMaxKeyDepth)
            throw keyTooDeep(path);
        // Create every missing ancestor too, as the registry does.
        for (std::size_t end = 0; end != std::string::npos;) {
            end = normal.find('\\', end + 1);
            keys_.try_emplace(keyId(root, normal.substr(0, end)));
        }
    }
    return std::make_unique<FakeKey>(*this, id);
}

bool FakeRegistry::deleteKey(RegRoot root, const std::string& path) {
    const std::string id = keyId(root, path);
    if (!find(id)) return false;
    deleteSubKeys(id);
    keys_.erase(id);
    return true;
}

void FakeRegistry::deleteSubKeys(const std::string& id) {
    const std::string prefix = id + "\\";
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.starts_with(prefix);)
        it = keys_.erase(it);
}

std::unique_ptr<RegistryBatch> FakeRegistry::beginBatch() {
    if (snapshot_) throw RegistryError("A batch of writes is already open");
    return std::make_unique<FakeBatch>(*this);
}

bool FakeRegistry::keyExists(RegRoot root, const std::string& path) const {
    return keys_.count(keyId(root, path)) != 0;
}

std::optional<RegValue> FakeRegistry::value(RegRoot root, const std::string& path,
                                            const std::string& name) const {
    const auto it = keys_.find(keyId(root, path));
    if (it == keys_.end()) return std::nullopt;
    for (const auto& [valueName, value] : it->second.values)
        if (sameName(valueName, name)) return value;
    return std::nullopt;
}

std::vector<std::string> FakeRegistry::valueNames(RegRoot root, const std::string& path) const {
    std::vector<std::string> names;
    const auto it = keys_.find(keyId(root, path));
    if (it != keys_.end())
        for (const auto& entry : it->second.values) names.push_back(entry.first);
    return names;
}

void FakeRegistry::setValue(RegRoot root, const std::string& path, const std::string& name,
                            RegValue value) {
    auto key = openKey(root, path, true);
    auto* stored = find(keyId(root, path));
    for (auto& [valueName, existing] : stored->values)
        if (sameName(valueName, name)) {
            existing = std::move(value);
            return;
        }
    stored->values.emplace_back(name, std::move(value));
}

}  // namespace zn::testing
