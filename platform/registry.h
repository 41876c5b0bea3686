// The registry port: a hierarchical store of named, typed byte values under
// three roots. The rules keep every setting and every enciphered entry here;
// on Linux the store is an SQLite file, on Windows it would be the registry.
//
// Data is held exactly as written. A string value is its text's bytes plus one
// terminating zero byte, as the Windows registry keeps it, so that enciphered
// texts holding zero bytes survive and exported data matches the Windows tools.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zn {

enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot };

enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD, little-endian
};

struct RegValue {
    RegType type = RegType::None;
    std::string data;  // raw bytes, as stored

    bool operator==(const RegValue&) const = default;
};

struct NamedValue {
    std::string name;
    RegValue value;
};

// How deep keys nest below their root at most, as in the Windows registry.
inline constexpr std::size_t kMaxKeyDepth = 512;

// What the store raises; its text is shown to the user as it stands.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Invalid data type for 'X'" and "Failed to set data for 'X'".
RegistryError invalidDataType(const std::string& valueName);
RegistryError failedToSetData(const std::string& valueName);
// Raised, before anything is written, for a key nested deeper than kMaxKeyDepth.
RegistryError keyTooDeep(const std::string& path);

// An open key. Closing is the handle's destruction.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // nullopt when the value does not exist. The empty name is the default value.
    virtual std::optional<RegValue> readValue(const std::string& name) const = 0;
    // Creates or overwrites; an overwritten value keeps its place in the
    // enumeration order. Raises failedToSetData on failure.
    virtual void writeValue(const std::string& name, const RegValue& value) = 0;
    // False when there was no such value; raises failedToSetData when there
    // is one that cannot be deleted.
    virtual bool deleteValue(const std::string& name) = 0;
    // Value names in creation order.
    virtual std::vector<std::string> valueNames() const = 0;
    // Hands every value's type and data to `visit` in creation order, all read
    // at once; the data lasts until `visit` returns.
    using ValueVisitor = std::function<void(RegType type, std::string_view data)>;
    virtual void forEachValue(const ValueVisitor& visit) const;
    // At most how many values the key holds, found without reading them, to
    // make room before forEachValue; it may count more. 0 when not known.
    virtual std::size_t valueCountBound() const { return 0; }
    // Leaves the key holding exactly these values in this order and no
    // sub-keys, as deleting the key and writing it afresh would. A later value
    // overwrites an earlier one of the same name. Only a batch makes it land
    // whole: outside one, a store may stop at the value that failed.
    virtual void replaceContents(const std::vector<NamedValue>& values) = 0;

    // Typed helpers over the primitives above.
    // A missing value reads as empty; a value that is not a string type raises
    // invalidDataType. The one terminating zero is dropped, inner zeros stay.
    std::string readString(const std::string& name) const;
    // nullopt when missing; raises invalidDataType when not a 32-bit integer.
    std::optional<std::uint32_t> readInteger(const std::string& name) const;
    std::string readDefault() const { return readString(""); }
    void writeString(const std::string& name, const std::string& text);
    void writeInteger(const std::string& name, std::uint32_t number);
};

// A batch of writes that lands whole or not at all. Destroying it without
// commit() rolls every write since beginBatch() back.
class RegistryBatch {
public:
    virtual ~RegistryBatch() = default;
    virtual void commit() = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // nullptr when the key is missing and create is false. Paths use "\" and
    // may start with it; names are compared ignoring letter case.
    virtual std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                                 bool create) = 0;
    // Deletes the key and its whole tree; false when it did not exist. Raises
    // failedToSetData (with the key's own name) when it cannot be deleted.
    virtual bool deleteKey(RegRoot root, const std::string& path) = 0;
    // Only one batch at a time; batches do not nest.
    virtual std::unique_ptr<RegistryBatch> beginBatch() = 0;
};

// Encoding helpers shared by every store and by the export format.
std::string encodeStringData(const std::string& text);  // text + '\0'
std::string decodeStringData(const std::string& data);  // drops one trailing '\0'
std::string encodeDwordData(std::uint32_t number);      // 4 bytes, little-endian

}  // namespace zn
