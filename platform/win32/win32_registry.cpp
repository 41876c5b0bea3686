#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <variant>

namespace zn::win32 {

namespace {

// An open HKEY, closed with its owner.
class KeyHandle {
public:
    KeyHandle() = default;
    explicit KeyHandle(HKEY key) : key_(key) {}
    KeyHandle(KeyHandle&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    KeyHandle& operator=(KeyHandle&& other) noexcept {
        std::swap(key_, other.key_);
        return *this;
    }
    ~KeyHandle() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// What a handle may do. A key opened for reading asks for nothing more, since
// a standard user may read most of HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT
// but write none of it; writing asks again for the right to write.
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;

KeyHandle openOnce(HKEY base, const std::string& path, bool create, REGSAM access) {
    HKEY key = nullptr;
    const LONG status =
        create ? RegCreateKeyExA(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                 nullptr, &key, nullptr)
               : RegOpenKeyExA(base, path.c_str(), 0, access, &key);
    return status == ERROR_SUCCESS ? KeyHandle(key) : KeyHandle();
}

// A path may be opened in one call only while it is short (Wine refuses
// about 260 characters), so a deep key is walked to a few levels at a time.
KeyHandle openPath(HKEY base, const std::string& path, bool create,
                   REGSAM access = kReadAccess) {
    constexpr std::size_t kLongestStep = 200;
    if (path.size() <= kLongestStep) return openOnce(base, path, create, access);
    KeyHandle current;
    std::string step;
    const auto advance = [&] {
        current = openOnce(current ? current.get() : base, step, create, access);
        step.clear();
        return static_cast<bool>(current);
    };
    for (const auto& name : splitPath(path)) {
        if (!step.empty() && step.size() + 1 + name.size() > kLongestStep && !advance()) return {};
        if (!step.empty()) step += '\\';
        step += name;
    }
    if (!step.empty()) advance();
    return current;
}

// Made or opened to be written; a key that exists but may only be read is
// still opened, for reading, and its writes fail one by one.
KeyHandle openToWrite(HKEY base, const std::string& path, bool& writable) {
    writable = true;
    if (auto key = openPath(base, path, true, kWriteAccess)) return key;
    writable = false;
    return openPath(base, path, false, kReadAccess);
}

// Deletes the key at path with its whole tree; false when it did not exist.
bool deleteTree(HKEY base, const std::string& path) {
    const auto last = path.rfind('\\');
    if (last == std::string::npos) return RegDeleteTreeA(base, path.c_str()) == ERROR_SUCCESS;
    const auto parent = openPath(base, path.substr(0, last), false, kWriteAccess);
    // Given a sub-key, the call removes that key itself as well.
    return parent && RegDeleteTreeA(parent.get(), path.c_str() + last + 1) == ERROR_SUCCESS;
}

std::optional<RegValue> queryValue(HKEY key, const std::string& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue value{static_cast<RegType>(type), std::string(size, '\0')};
    // The value may grow between the two calls: ask again with the size it now has.
    for (;;) {
        size = static_cast<DWORD>(value.data.size());
        const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(value.data.data()), &size);
        if (status == ERROR_MORE_DATA) {
            value.data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.type = static_cast<RegType>(type);
        value.data.resize(size);
        return value;
    }
}

// Every value of an open key, in the registry's order, name and data read together.
std::vector<NamedValue> allValues(HKEY key) {
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<NamedValue> values;
    values.reserve(count);
    std::string name(longestName + 1, '\0');
    std::string data(longestData, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {
            // Grown meanwhile: make room and read this index again.
            name.resize(std::max<std::size_t>(name.size(), nameSize + 1) * 2);
            data.resize(std::max<std::size_t>(data.size(), dataSize) * 2);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        values.push_back({name.substr(0, nameSize),
                          RegValue{static_cast<RegType>(type), data.substr(0, dataSize)}});
    }
    return values;
}

std::vector<std::string> allSubKeys(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        const LONG status =
            RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

void setValue(HKEY key, const std::string& name, const RegValue& value) {
    // The ANSI call counts a string's terminating zero itself when the byte
    // after the data is zero, as a std::string's always is; a byte that is
    // not zero there keeps the data exactly as given.
    std::string data = value.data;
    data.push_back('\x01');
    if (RegSetValueExA(key, name.c_str(), 0, static_cast<DWORD>(value.type),
                       reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
        throw failedToSetData(name);
}

// A key's whole tree as it was, to be put back.
struct TreeSnapshot {
    std::vector<NamedValue> values;
    std::vector<std::pair<std::string, TreeSnapshot>> children;
};

TreeSnapshot snapshotOf(HKEY key) {
    TreeSnapshot tree{allValues(key), {}};
    for (const auto& name : allSubKeys(key))
        if (const auto child = openPath(key, name, false))
            tree.children.emplace_back(name, snapshotOf(child.get()));
    return tree;
}

// Leaves the key with no values and no sub-keys.
void emptyKey(HKEY key) {
    for (const auto& name : allSubKeys(key)) RegDeleteTreeA(key, name.c_str());
    for (const auto& value : allValues(key)) RegDeleteValueA(key, value.name.c_str());
}

void restoreTree(HKEY key, const TreeSnapshot& tree) {
    for (const auto& [name, value] : tree.values) setValue(key, name, value);
    for (const auto& [name, child] : tree.children)
        if (const auto created = openPath(key, name, true, kWriteAccess))
            restoreTree(created.get(), child);
}

std::wstring wideText(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

bool renameKey(HKEY parent, const std::string& from, const std::string& to) {
    return RegRenameKey(parent, wideText(from).c_str(), wideText(to).c_str()) == ERROR_SUCCESS;
}

bool keyExists(HKEY parent, const std::string& name) {
    return static_cast<bool>(openOnce(parent, name, false, kReadAccess));
}

// A key rewritten whole gets its new contents in a sibling of this name, and
// its old contents step aside under the other while the new take their place.
std::string rewrittenName(const std::string& name) {
    return name + "~zn-rewritten";
}
std::string steppedAsideName(const std::string& name) {
    return name + "~zn-stepped-aside";
}

// Finishes a rewrite that was cut short, by a kill or a power loss: once the
// old contents had stepped aside the new ones were whole and take the key's
// name; before that the old key stands and the half-written sibling goes.
void settleRewrite(HKEY parent, const std::string& name) {
    const std::string rewritten = rewrittenName(name);
    const std::string steppedAside = steppedAsideName(name);
    if (keyExists(parent, steppedAside) && !keyExists(parent, name) &&
        !renameKey(parent, rewritten, name))
        renameKey(parent, steppedAside, name);
    RegDeleteTreeA(parent, steppedAside.c_str());
    RegDeleteTreeA(parent, rewritten.c_str());
}

// The same for the key at a path, before it is opened or deleted; the usual
// case, nothing left over, costs two look-ups.
void settleRewriteOf(HKEY base, const std::string& path) {
    const auto last = path.rfind('\\');
    if (last == std::string::npos) return;  // a root's own keys are rewritten in place
    const std::string name = path.substr(last + 1);
    {
        const auto parent = openPath(base, path.substr(0, last), false);
        if (!parent || (!keyExists(parent.get(), rewrittenName(name)) &&
                        !keyExists(parent.get(), steppedAsideName(name))))
            return;
    }
    if (const auto parent = openPath(base, path.substr(0, last), false, kWriteAccess))
        settleRewrite(parent.get(), name);
}

// Rewrites the key at path whole: fill writes the new contents into a
// sibling, which is then renamed into the key's place, so that a program
// stopped at any moment leaves the old contents or the new, never a part.
// Gives the new key; a handle still open on the old one sees a deleted key.
KeyHandle rewriteBeside(HKEY base, const std::string& path, const std::function<void(HKEY)>& fill,
                        const std::string& failureName) {
    const auto last = path.rfind('\\');
    const std::string name = path.substr(last + 1);
    const auto parent = openPath(base, path.substr(0, last), false, kWriteAccess);
    if (!parent) throw failedToSetData(failureName);
    settleRewrite(parent.get(), name);
    const std::string rewritten = rewrittenName(name);
    const std::string steppedAside = steppedAsideName(name);
    auto fresh = openOnce(parent.get(), rewritten, true, kWriteAccess);
    if (!fresh) throw failedToSetData(failureName);
    try {
        fill(fresh.get());
        // The registry renames a key only to a free name: the old one steps
        // aside first, and settleRewrite knows what each state in between means.
        if (!renameKey(parent.get(), name, steppedAside)) throw failedToSetData(failureName);
        if (!renameKey(parent.get(), rewritten, name)) {
            renameKey(parent.get(), steppedAside, name);
            throw failedToSetData(failureName);
        }
    } catch (...) {
        RegDeleteTreeA(parent.get(), rewritten.c_str());
        throw;
    }
    RegDeleteTreeA(parent.get(), steppedAside.c_str());
    return fresh;
}

bool hasParent(const std::string& path) {
    return path.find('\\') != std::string::npos;
}

}  // namespace

// What a batch has changed, each as it was before its first change, in order.
struct UndoLog {
    struct ValueBefore {
        HKEY base;
        std::string path;
        std::string name;
        std::optional<RegValue> before;
    };
    struct KeyBefore {
        HKEY base;
        std::string path;
        std::optional<TreeSnapshot> before;  // nothing: the key did not exist
    };
    std::vector<std::variant<ValueBefore, KeyBefore>> steps;

    void noteValue(HKEY base, const std::string& path, HKEY key, const std::string& name) {
        steps.emplace_back(ValueBefore{base, path, name, queryValue(key, name)});
    }
    void noteKeyAsItWas(HKEY base, const std::string& path, TreeSnapshot before) {
        steps.emplace_back(KeyBefore{base, path, std::move(before)});
    }
    void noteKey(HKEY base, const std::string& path) {
        const auto key = openPath(base, path, false);
        steps.emplace_back(
            KeyBefore{base, path, key ? std::optional(snapshotOf(key.get())) : std::nullopt});
    }

    // Puts everything back, the last change first; best effort, never raises.
    void rollBack() noexcept {
        for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
            try {
                if (const auto* value = std::get_if<ValueBefore>(&*step)) {
                    const auto key = openPath(value->base, value->path, true, kWriteAccess);
                    if (!key) continue;
                    if (value->before)
                        setValue(key.get(), value->name, *value->before);
                    else
                        RegDeleteValueA(key.get(), value->name.c_str());
                } else {
                    const auto& tree = std::get<KeyBefore>(*step);
                    if (!tree.before) {
                        deleteTree(tree.base, tree.path);
                        continue;
                    }
                    const auto restore = [&tree](HKEY key) { restoreTree(key, *tree.before); };
                    if (hasParent(tree.path) && openPath(tree.base, tree.path, false)) {
                        rewriteBeside(tree.base, tree.path, restore, tree.path);
                    } else if (const auto key =
                                   openPath(tree.base, tree.path, true, kWriteAccess)) {
                        emptyKey(key.get());
                        restore(key.get());
                    }
                }
            } catch (...) {
            }
        }
    }
};

namespace {

class Win32Key : public RegistryKey {
public:
    Win32Key(const Win32Registry& registry, HKEY base, std::string path, KeyHandle key,
             bool writable)
        : registry_(registry),
          base_(base),
          path_(std::move(path)),
          key_(std::move(key)),
          writable_(writable) {}

    std::optional<RegValue> readValue(const std::string& name) const override {
        return queryValue(key_.get(), name);
    }

    void writeValue(const std::string& name, const RegValue& value) override {
        if (!writable()) throw failedToSetData(name);
        if (auto* undo = registry_.undoLog()) undo->noteValue(base_, path_, key_.get(), name);
        setValue(key_.get(), name, value);
    }

    bool deleteValue(const std::string& name) override {
        if (!writable()) return false;
        if (auto* undo = registry_.undoLog()) undo->noteValue(base_, path_, key_.get(), name);
        const LONG status = RegDeleteValueA(key_.get(), name.c_str());
        if (status == ERROR_FILE_NOT_FOUND) return false;
        if (status != ERROR_SUCCESS) throw failedToSetData(name);
        return true;
    }

    std::vector<std::string> valueNames() const override {
        std::vector<std::string> names;
        for (auto& value : allValues(key_.get())) names.push_back(std::move(value.name));
        return names;
    }

    void forEachValue(const ValueVisitor& visit) const override {
        for (const auto& value : allValues(key_.get())) visit(value.value.type, value.value.data);
    }

    std::size_t valueCountBound() const override {
        DWORD count = 0;
        return RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                &count, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
                   ? count
                   : 0;
    }

    void replaceContents(const std::vector<NamedValue>& values) override {
        const std::string failureName =
            values.empty() ? path_.substr(path_.rfind('\\') + 1) : values.front().name;
        const auto fill = [&values](HKEY key) {
            for (const auto& [name, value] : values) setValue(key, name, value);
        };
        auto* undo = registry_.undoLog();
        if (!hasParent(path_)) {
            if (!writable()) throw failedToSetData(failureName);
            if (undo) undo->noteKey(base_, path_);
            emptyKey(key_.get());
            fill(key_.get());
            return;
        }
        std::optional<TreeSnapshot> before;
        if (undo) before = snapshotOf(key_.get());
        key_ = rewriteBeside(base_, path_, fill, failureName);
        writable_ = true;
        // A rewrite that failed changed nothing, so only one that landed is undone.
        if (undo) undo->noteKeyAsItWas(base_, path_, std::move(*before));
    }

private:
    // A key opened for reading gets the right to write at its first write,
    // through a second handle to the same key.
    bool writable() {
        if (writable_) return true;
        HKEY again = nullptr;
        if (RegOpenKeyExA(key_.get(), "", 0, kWriteAccess, &again) != ERROR_SUCCESS) return false;
        key_ = KeyHandle(again);
        writable_ = true;
        return true;
    }

    const Win32Registry& registry_;
    HKEY base_;
    std::string path_;
    KeyHandle key_;
    bool writable_;
};

class Win32Batch : public RegistryBatch {
public:
    explicit Win32Batch(Win32Registry& registry) : registry_(registry) {
        registry_.setUndoLog(&log_);
    }
    ~Win32Batch() override {
        if (committed_) return;  // a later batch may hold the log now
        registry_.setUndoLog(nullptr);
        log_.rollBack();
    }
    void commit() override {
        if (committed_) return;
        committed_ = true;
        registry_.setUndoLog(nullptr);
    }

private:
    Win32Registry& registry_;
    UndoLog log_;
    bool committed_ = false;
};

HKEY rootKey(RegRoot root) {
    switch (root) {
        case RegRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegRoot::CurrentUser:
            break;
    }
    return HKEY_CURRENT_USER;
}

const char* rootName(RegRoot root) {
    switch (root) {
        case RegRoot::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RegRoot::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RegRoot::CurrentUser:
            break;
    }
    return "HKEY_CURRENT_USER";
}

}  // namespace

std::string canonicalKeyPath(const std::string& path) {
    std::string joined;
    for (const auto& name : splitPath(path)) {
        if (!joined.empty()) joined += '\\';
        joined += name;
    }
    return joined;
}

Win32Registry::Win32Registry() = default;

std::unique_ptr<Win32Registry> Win32Registry::inSandbox(const std::string& sandbox) {
    auto registry = sharingSandbox(sandbox);
    registry->ownsSandbox_ = true;
    deleteTree(HKEY_CURRENT_USER, registry->sandbox_);
    return registry;
}

std::unique_ptr<Win32Registry> Win32Registry::sharingSandbox(const std::string& sandbox) {
    auto registry = std::make_unique<Win32Registry>();
    registry->sandbox_ = canonicalKeyPath(sandbox);
    return registry;
}

Win32Registry::~Win32Registry() {
    if (ownsSandbox_) deleteTree(HKEY_CURRENT_USER, sandbox_);
}

Win32Registry::Location Win32Registry::locate(RegRoot root) const {
    if (sandbox_.empty()) return {rootKey(root), {}};
    return {HKEY_CURRENT_USER, sandbox_ + '\\' + rootName(root) + '\\'};
}

std::unique_ptr<RegistryKey> Win32Registry::openKey(RegRoot root, const std::string& path,
                                                    bool create) {
    const std::string canonical = canonicalKeyPath(path);
    if (splitPath(canonical).size() > kMaxKeyDepth) throw keyTooDeep(canonical);
    const auto [base, prefix] = locate(root);
    const std::string full = prefix + canonical;
    settleRewriteOf(base, full);
    if (create && undo_) {
        // Only the keys this batch makes are its to remove again.
        const auto existing = openPath(base, full, false);
        if (!existing) undo_->noteKey(base, full);
    }
    bool writable = false;
    auto key = create ? openToWrite(base, full, writable) : openPath(base, full, false);
    if (!key) {
        if (create) throw failedToSetData(canonical);
        return nullptr;
    }
    return std::make_unique<Win32Key>(*this, base, full, std::move(key), writable);
}

bool Win32Registry::deleteKey(RegRoot root, const std::string& path) {
    const std::string canonical = canonicalKeyPath(path);
    if (canonical.empty()) return false;
    const auto [base, prefix] = locate(root);
    const std::string full = prefix + canonical;
    // Opened with read access only: a key the user may see but not change is
    // there, and failing to delete it is a failure, not a missing key.
    settleRewriteOf(base, full);
    if (!openPath(base, full, false)) return false;
    if (undo_) undo_->noteKey(base, full);
    if (!deleteTree(base, full)) throw failedToSetData(splitPath(canonical).back());
    return true;
}

std::unique_ptr<RegistryBatch> Win32Registry::beginBatch() {
    // A second log would leave the first batch's later changes unrecorded.
    if (undo_) throw RegistryError("A batch of writes is already open");
    return std::make_unique<Win32Batch>(*this);
}

std::vector<std::string> Win32Registry::subKeyNames(RegRoot root, const std::string& path) {
    const auto [base, prefix] = locate(root);
    const auto key = openPath(base, prefix + canonicalKeyPath(path), false);
    return key ? allSubKeys(key.get()) : std::vector<std::string>{};
}

}  // namespace zn::win32
