#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
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
// Wine (8.0) loses a sibling when a key is renamed to a name that sorts after
// its own but before its next sibling's, so every name a key steps aside to
// sorts after the rewritten sibling, which exists whenever a key steps aside.
std::string rewrittenName(const std::string& name) {
    return name + "~zn-rewritten";
}
std::string steppedAsideName(const std::string& name) {
    return name + "~zn-stepped-aside";
}
// Inside a batch the contents a key had before the batch step aside under
// this name instead, and stay there until the batch ends: they are what
// undoing it puts back, with no copy made.
std::string keptName(const std::string& name) {
    return name + "~zn-undo";
}

// Finishes a rewrite that was cut short, by a kill or a power loss: once the
// old contents had stepped aside the new ones were whole and take the key's
// name; before that the old key stands and the half-written sibling goes.
// A batch's kept contents are its journal's to settle, not this.
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
// case, nothing left over, costs two look-ups. What another program is in
// the middle of writing is left to it: leftovers are only settled while the
// store's mutex is held.
void settleRewriteOf(HKEY base, const std::string& path, const StoreMutex& mutex) {
    const auto last = path.rfind('\\');
    if (last == std::string::npos) return;  // a root's own keys are rewritten in place
    const std::string name = path.substr(last + 1);
    const auto leftOver = [&] {
        const auto parent = openPath(base, path.substr(0, last), false);
        return parent && (keyExists(parent.get(), rewrittenName(name)) ||
                          keyExists(parent.get(), steppedAsideName(name)));
    };
    if (!leftOver()) return;
    const auto held = mutex.take();
    if (!held || !leftOver()) return;
    if (const auto parent = openPath(base, path.substr(0, last), false, kWriteAccess))
        settleRewrite(parent.get(), name);
}

bool hasParent(const std::string& path) {
    return path.find('\\') != std::string::npos;
}

}  // namespace

// What a batch has changed, each as it was before its change, in order. Each
// step reaches the journal before its change is made, so that a kill at any
// moment leaves a journal that undoes everything the batch has done.
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
    // The key was rewritten; what it held before the batch is its sibling
    // keptName(), once the rewrite got that far.
    struct KeyKept {
        HKEY base;
        std::string path;
    };
    using Step = std::variant<ValueBefore, KeyBefore, KeyKept>;
    std::vector<Step> steps;
    // Where the steps are written as they are noted; none while a journal
    // left by a killed program is undone.
    std::optional<Win32Registry::KeyAt> journal;

    void noteValue(HKEY base, const std::string& path, HKEY key, const std::string& name) {
        record(ValueBefore{base, path, name, queryValue(key, name)}, name);
    }
    void noteKey(HKEY base, const std::string& path) {
        const auto key = openPath(base, path, false);
        record(KeyBefore{base, path, key ? std::optional(snapshotOf(key.get())) : std::nullopt},
               path.substr(path.rfind('\\') + 1));
    }
    void noteKept(HKEY base, const std::string& path, const std::string& failureName) {
        record(KeyKept{base, path}, failureName);
    }

    // Puts everything back, the last change first; best effort, never
    // raises. False when something could not be put back.
    bool rollBack() noexcept;
    // Once the batch has landed: the contents kept for undoing it go.
    void dropKept() noexcept;

private:
    void record(Step step, const std::string& failureName);
};

namespace {

// The journal of an open batch, a key of the current user's store:
//   value "Steps" (32-bit): how many steps below count; deleting it is the
//     batch's commit, so a journal without it undoes nothing.
//   sub-keys "0", "1", ...: one step each, in order:
//     "Root" (32-bit: 0 current user, 1 local machine, 2 classes root) and
//     "Path" (the key's path from its root); then
//     a value: "Name", and "Before" holding its type and data, absent when
//       the value did not exist;
//     a rewritten key: "Kept" (32-bit, 1);
//     a key made or deleted: sub-key "Before", a copy of its whole tree,
//       absent when the key did not exist.
constexpr const char* kJournalStepsValue = "Steps";

std::uint32_t rootNumber(HKEY base) {
    if (base == HKEY_LOCAL_MACHINE) return 1;
    if (base == HKEY_CLASSES_ROOT) return 2;
    return 0;
}
HKEY rootOfNumber(std::uint32_t number) {
    if (number == 1) return HKEY_LOCAL_MACHINE;
    if (number == 2) return HKEY_CLASSES_ROOT;
    return HKEY_CURRENT_USER;
}

RegValue dwordValue(std::uint32_t number) {
    return {RegType::Dword, encodeDwordData(number)};
}
RegValue stringValue(const std::string& text) {
    return {RegType::String, encodeStringData(text)};
}
std::optional<std::uint32_t> dwordIn(HKEY key, const char* name) {
    const auto value = queryValue(key, name);
    if (!value || value->type != RegType::Dword || value->data.size() != 4) return std::nullopt;
    std::uint32_t number = 0;
    for (std::size_t at = 4; at-- > 0;)
        number = number << 8 | static_cast<unsigned char>(value->data[at]);
    return number;
}

void writeStep(HKEY key, const UndoLog::Step& step) {
    std::visit(
        [key](const auto& change) {
            setValue(key, "Root", dwordValue(rootNumber(change.base)));
            setValue(key, "Path", stringValue(change.path));
        },
        step);
    if (const auto* value = std::get_if<UndoLog::ValueBefore>(&step)) {
        setValue(key, "Name", stringValue(value->name));
        if (value->before) setValue(key, "Before", *value->before);
    } else if (std::holds_alternative<UndoLog::KeyKept>(step)) {
        setValue(key, "Kept", dwordValue(1));
    } else if (const auto& tree = std::get<UndoLog::KeyBefore>(step).before) {
        const auto before = openOnce(key, "Before", true, kWriteAccess);
        if (!before) throw failedToSetData("Before");
        restoreTree(before.get(), *tree);
    }
}

std::optional<UndoLog::Step> readStep(HKEY key) {
    const auto root = dwordIn(key, "Root");
    const auto path = queryValue(key, "Path");
    if (!root || !path || path->type != RegType::String) return std::nullopt;
    const HKEY base = rootOfNumber(*root);
    const std::string keyPath = decodeStringData(path->data);
    if (const auto name = queryValue(key, "Name"))
        return UndoLog::ValueBefore{base, keyPath, decodeStringData(name->data),
                                    queryValue(key, "Before")};
    if (dwordIn(key, "Kept")) return UndoLog::KeyKept{base, keyPath};
    const auto before = openOnce(key, "Before", false, kReadAccess);
    return UndoLog::KeyBefore{base, keyPath,
                              before ? std::optional(snapshotOf(before.get())) : std::nullopt};
}

// The steps a journal holds: with `counted`, only those its "Steps" counts
// (none when the batch had committed); without, every whole one, to find
// the kept contents a committed batch left.
std::vector<UndoLog::Step> journalSteps(HKEY journal, bool counted) {
    std::vector<UndoLog::Step> steps;
    const auto count = dwordIn(journal, kJournalStepsValue);
    if (counted && !count) return steps;
    for (std::uint32_t index = 0; !counted || index < *count; ++index) {
        const auto key = openOnce(journal, std::to_string(index), false, kReadAccess);
        const auto step = key ? readStep(key.get()) : std::nullopt;
        if (!step) break;
        steps.push_back(*step);
    }
    return steps;
}

// Rewrites the key at path whole: fill writes the new contents into a
// sibling, which is then renamed into the key's place, so that a program
// stopped at any moment leaves the old contents or the new, never a part.
// Inside a batch (undo given) the contents the key had before the batch are
// kept beside it for the batch to put back. Gives the new key; a handle
// still open on the old one sees a key no longer in its place.
// The caller holds the store's mutex.
KeyHandle rewriteBeside(HKEY base, const std::string& path, const std::function<void(HKEY)>& fill,
                        const std::string& failureName, UndoLog* undo) {
    const auto last = path.rfind('\\');
    const std::string name = path.substr(last + 1);
    const auto parent = openPath(base, path.substr(0, last), false, kWriteAccess);
    if (!parent) throw failedToSetData(failureName);
    settleRewrite(parent.get(), name);
    const std::string rewritten = rewrittenName(name);
    // A key this batch has rewritten already keeps its first contents.
    const bool keep = undo && !keyExists(parent.get(), keptName(name));
    const std::string steppedAside = keep ? keptName(name) : steppedAsideName(name);
    if (keep) undo->noteKept(base, path, failureName);
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
    if (!keep) RegDeleteTreeA(parent.get(), steppedAside.c_str());
    return fresh;
}

// A key's parent, opened to write, and the key's own name.
struct ParentAndName {
    std::string parentPath;
    std::string name;
    KeyHandle parent;
};
ParentAndName parentOf(HKEY base, const std::string& path) {
    const auto last = path.rfind('\\');
    if (last == std::string::npos) return {{}, path, {}};
    ParentAndName split{path.substr(0, last), path.substr(last + 1), {}};
    split.parent = openPath(base, split.parentPath, false, kWriteAccess);
    return split;
}

}  // namespace

void UndoLog::record(Step step, const std::string& failureName) {
    if (journal) {
        const auto key = openPath(journal->base, journal->path, true, kWriteAccess);
        if (!key) throw failedToSetData(failureName);
        const std::string index = std::to_string(steps.size());
        // A step a kill cut short was never counted and is written afresh.
        RegDeleteTreeA(key.get(), index.c_str());
        const auto stepKey = openOnce(key.get(), index, true, kWriteAccess);
        if (!stepKey) throw failedToSetData(failureName);
        try {
            writeStep(stepKey.get(), step);
            setValue(key.get(), kJournalStepsValue,
                     dwordValue(static_cast<std::uint32_t>(steps.size() + 1)));
        } catch (const RegistryError&) {
            throw failedToSetData(failureName);
        }
    }
    steps.push_back(std::move(step));
}

bool UndoLog::rollBack() noexcept {
    bool whole = true;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        try {
            if (const auto* value = std::get_if<ValueBefore>(&*step)) {
                const auto key = openPath(value->base, value->path, true, kWriteAccess);
                if (!key) {
                    whole = false;
                    continue;
                }
                if (value->before)
                    setValue(key.get(), value->name, *value->before);
                else
                    RegDeleteValueA(key.get(), value->name.c_str());
            } else if (const auto* kept = std::get_if<KeyKept>(&*step)) {
                const auto [parentPath, name, parent] = parentOf(kept->base, kept->path);
                if (!parent) {
                    // With no parent there is nothing kept either.
                    if (openPath(kept->base, parentPath, false)) whole = false;
                    continue;
                }
                if (!keyExists(parent.get(), keptName(name))) continue;  // never stepped aside
                RegDeleteTreeA(parent.get(), name.c_str());
                RegDeleteTreeA(parent.get(), rewrittenName(name).c_str());
                if (!renameKey(parent.get(), keptName(name), name)) whole = false;
            } else {
                const auto& tree = std::get<KeyBefore>(*step);
                if (!tree.before) {
                    deleteTree(tree.base, tree.path);
                    continue;
                }
                const auto restore = [&tree](HKEY key) { restoreTree(key, *tree.before); };
                if (hasParent(tree.path) && openPath(tree.base, tree.path, false)) {
                    rewriteBeside(tree.base, tree.path, restore, tree.path, nullptr);
                } else if (const auto key = openPath(tree.base, tree.path, true, kWriteAccess)) {
                    emptyKey(key.get());
                    restore(key.get());
                } else {
                    whole = false;
                }
            }
        } catch (...) {
            whole = false;
        }
    }
    return whole;
}

void UndoLog::dropKept() noexcept {
    for (const auto& step : steps)
        if (const auto* kept = std::get_if<KeyKept>(&step)) {
            const auto [parentPath, name, parent] = parentOf(kept->base, kept->path);
            if (parent) RegDeleteTreeA(parent.get(), keptName(name).c_str());
        }
}

namespace {

// Undoes the batch whose journal this is, or finishes one that committed,
// and then removes the journal; one that cannot be undone whole stays, to
// be tried again. The caller holds the store's mutex.
void settleJournal(const Win32Registry::KeyAt& journal) {
    const auto key = openPath(journal.base, journal.path, false, kWriteAccess);
    if (!key) return;
    UndoLog interrupted;
    interrupted.steps = journalSteps(key.get(), true);
    const bool committed = !dwordIn(key.get(), kJournalStepsValue);
    if (!committed) {
        if (!interrupted.rollBack()) return;
        RegDeleteValueA(key.get(), kJournalStepsValue);
    }
    interrupted.steps = journalSteps(key.get(), false);
    interrupted.dropKept();
    deleteTree(journal.base, journal.path);
}

}  // namespace

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
        // Taken again inside a batch, which holds it already.
        const auto held = registry_.storeMutex().take();
        if (!held) throw failedToSetData(failureName);
        key_ = rewriteBeside(base_, path_, fill, failureName, undo);
        writable_ = true;
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

// Drops a journal whose batch has been undone; a kill half-way through
// leaves one that counts no steps, which undoes nothing.
void discardJournal(const Win32Registry::KeyAt& journal) {
    if (const auto key = openPath(journal.base, journal.path, false, kWriteAccess))
        RegDeleteValueA(key.get(), kJournalStepsValue);
    deleteTree(journal.base, journal.path);
}

class Win32Batch : public RegistryBatch {
public:
    explicit Win32Batch(Win32Registry& registry)
        : registry_(registry), held_(registry.storeMutex().take()) {
        if (!*held_) throw RegistryError("Another program keeps the registry busy");
        // Held now, so any journal that stands is a killed program's.
        const auto journal = registry_.journal();
        settleJournal(journal);
        if (openPath(journal.base, journal.path, false))
            throw RegistryError("An interrupted save could not be undone");
        log_.journal = journal;
        registry_.setUndoLog(&log_);
    }
    ~Win32Batch() override {
        if (committed_) return;  // a later batch may hold the log now
        registry_.setUndoLog(nullptr);
        // Whatever could not be put back stays in the journal for the next try.
        if (log_.rollBack()) discardJournal(*log_.journal);
    }
    void commit() override {
        if (committed_) return;
        const auto& journal = *log_.journal;
        if (!log_.steps.empty()) {
            // The one write that makes the batch land.
            const auto key = openPath(journal.base, journal.path, false, kWriteAccess);
            if (!key || RegDeleteValueA(key.get(), kJournalStepsValue) != ERROR_SUCCESS)
                throw failedToSetData(kJournalStepsValue);
        }
        committed_ = true;
        registry_.setUndoLog(nullptr);
        log_.dropKept();
        deleteTree(journal.base, journal.path);
        held_.reset();
    }

private:
    Win32Registry& registry_;
    std::optional<StoreMutex::Hold> held_;
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

namespace {

// The mutex's name for a store. Registry names ignore case, so this does
// too; a hash keeps any sandbox's path within a name's length and free of "\".
std::string storeMutexName(const std::string& sandbox) {
    std::uint64_t hash = 14695981039346656037ULL;  // 64-bit FNV-1a
    for (const char c : sandbox) {
        hash ^= static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    // Local: per logon session, and so per user, as the current user's keys are.
    return std::string("Local\\Zintrel.Store.") + hex;
}

// How long a program waits for another to finish writing the store: far
// longer than any save takes.
constexpr DWORD kLongestStoreWaitMs = 30000;

constexpr const char* kJournalPath = "SOFTWARE\\Halvorn~zn-batch";

}  // namespace

StoreMutex::StoreMutex(const std::string& sandbox) : mutex_(storeMutexName(sandbox)) {}

StoreMutex::Hold StoreMutex::take() const {
    return mutex_.take(kLongestStoreWaitMs);
}

Win32Registry::Win32Registry() : Win32Registry(std::string()) {}

Win32Registry::Win32Registry(std::string sandbox)
    : sandbox_(std::move(sandbox)), mutex_(sandbox_) {}

std::unique_ptr<Win32Registry> Win32Registry::inSandbox(const std::string& sandbox) {
    auto registry = sharingSandbox(sandbox);
    registry->ownsSandbox_ = true;
    deleteTree(HKEY_CURRENT_USER, registry->sandbox_);
    return registry;
}

std::unique_ptr<Win32Registry> Win32Registry::sharingSandbox(const std::string& sandbox) {
    return std::unique_ptr<Win32Registry>(new Win32Registry(canonicalKeyPath(sandbox)));
}

Win32Registry::~Win32Registry() {
    if (ownsSandbox_) deleteTree(HKEY_CURRENT_USER, sandbox_);
}

Win32Registry::Location Win32Registry::locate(RegRoot root) const {
    if (sandbox_.empty()) return {rootKey(root), {}};
    return {HKEY_CURRENT_USER, sandbox_ + '\\' + rootName(root) + '\\'};
}

Win32Registry::KeyAt Win32Registry::journal() const {
    const auto [base, prefix] = locate(RegRoot::CurrentUser);
    return {base, prefix + kJournalPath};
}

void Win32Registry::settleInterruptedBatch() {
    const auto place = journal();
    if (!openPath(place.base, place.path, false)) return;
    // A batch another program has open ends before the mutex is free.
    if (const auto held = mutex_.take()) settleJournal(place);
}

std::unique_ptr<RegistryKey> Win32Registry::openKey(RegRoot root, const std::string& path,
                                                    bool create) {
    const std::string canonical = canonicalKeyPath(path);
    if (splitPath(canonical).size() > kMaxKeyDepth) throw keyTooDeep(canonical);
    const auto [base, prefix] = locate(root);
    const std::string full = prefix + canonical;
    if (!undo_) settleInterruptedBatch();
    settleRewriteOf(base, full, mutex_);
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
    if (!undo_) settleInterruptedBatch();
    settleRewriteOf(base, full, mutex_);
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
