// Registry export files: key names such as "HKEY_CURRENT_USER\Software\...",
// the writer (REGEDIT4, or the UTF-16 "Windows Registry Editor Version 5.00"
// form), and a reader that checks a whole file before anything of it is applied.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "znreg/code_page.h"

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

struct RegFileFormat {
    bool v5 = false;  // UTF-16LE with a byte-order mark, texts converted from codePage
    CodePage codePage = CodePage::Windows1252;
};

// The file text (CRLF line ends). Every value round-trips byte for byte:
// strings that a quoted text cannot carry are written as hex(1), and a
// string-typed value gets its terminating zero back on import when it had one.
// Raises RegToolError for a name that no line can hold (one with a line break)
// and for a text the code page cannot carry into a version 5 file.
std::string writeRegFile(const std::vector<ExportedKey>& keys, const RegFileFormat& format = {});

// What one line of a file asks for, in file order.
struct RegFileChange {
    enum class Kind { OpenKey, DeleteKey, SetValue, DeleteValue };
    Kind kind;
    KeyName key;
    std::string valueName;  // SetValue, DeleteValue
    RegValue value;         // SetValue
};

// Reads a file as the registry editor does, but refuses rather than skips
// what it cannot use. REGEDIT4 files are 8-bit: their texts are stored as
// they stand. Unicode files (UTF-16LE with a byte-order mark, or the
// "Windows Registry Editor Version 5.00" header in UTF-8) have their names and
// texts converted to codePage, and their hex(1), hex(2) and hex(7) data is
// UTF-16LE. Raises RegToolError "<fileName> is not a registry file" (with
// "(line N: why)" for a malformed line), or "<fileName> cannot be imported
// (line N: ...)" for a character the code page lacks.
std::vector<RegFileChange> parseRegFile(const std::string& text, const std::string& fileName,
                                        CodePage codePage = CodePage::Windows1252);

// Applies every change in one batch: all of them land or none.
void applyRegFile(Registry& registry, const std::vector<RegFileChange>& changes);

}  // namespace zn::regtool
