// Registry export files in the REGEDIT4 text format: key names such as
// "HKEY_CURRENT_USER\Software\...", the writer, and a reader that checks a
// whole file before anything of it is applied.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace zn::regtool {

// A file or a key name the tool cannot use; its text follows "ERROR: ".
class RegToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct KeyName {
    RegRoot root = RegRoot::CurrentUser;
    std::string path;  // below the root, "\"-separated, without empty names

    bool operator==(const KeyName&) const = default;
};

// "HKCU\Software\X" or "HKEY_CURRENT_USER\Software\X" (root in any case);
// nullopt for an unknown root.
std::optional<KeyName> parseKeyName(const std::string& text);
std::string rootName(RegRoot root);  // the long form, "HKEY_CURRENT_USER"
std::string fullKeyName(const KeyName& key);

// One key with its values in the store's order, as exported.
struct ExportedKey {
    KeyName key;
    std::vector<std::pair<std::string, RegValue>> values;
};

// The file text (CRLF line ends). Every value round-trips byte for byte:
// strings that are not plain printable ASCII are written as hex(1).
// Raises RegToolError for a name that no line can hold (one with a line break).
std::string writeRegFile(const std::vector<ExportedKey>& keys);

// What one line of a file asks for, in file order.
struct RegFileChange {
    enum class Kind { OpenKey, DeleteKey, SetValue, DeleteValue };
    Kind kind;
    KeyName key;
    std::string valueName;  // SetValue, DeleteValue
    RegValue value;         // SetValue
};

// Reads REGEDIT4 (or "Windows Registry Editor Version 5.00" in an 8-bit
// encoding). Raises RegToolError "<fileName> is not a registry file..." for
// anything else or any malformed line.
std::vector<RegFileChange> parseRegFile(const std::string& text, const std::string& fileName);

// Applies every change in one batch: all of them land or none.
void applyRegFile(Registry& registry, const std::vector<RegFileChange>& changes);

}  // namespace zn::regtool
