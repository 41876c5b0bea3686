// The znreg commands, in the manner of the Windows "reg" tool:
//   query KEY [/v NAME | /ve]
//   add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   delete KEY [/v NAME | /ve | /va] [/f]
//   export KEY FILE [/y] [--v5] [--codepage CP]
//   import FILE [--codepage CP]
// Parsing is separate from running, so that a bad command line never opens the store.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "znreg/reg_file.h"

namespace zn::regtool {

// What the tool needs from a store beyond the registry port.
class RegToolStore {
public:
    virtual ~RegToolStore() = default;
    virtual Registry& registry() = 0;
    // Sub-key names in enumeration order; a store that cannot list them
    // returns none, and export then covers the key alone.
    virtual std::vector<std::string> subKeyNames(RegRoot root, const std::string& path) = 0;

    // Calls visit for the key and every key below it, parents first and
    // sub-keys in subKeyNames order; nothing when the key is missing. This
    // one opens each key by its full name; a store that can open a key from
    // its parent does better on a deep tree.
    using TreeVisitor = std::function<void(const KeyName& name, const RegistryKey& key)>;
    virtual void visitTree(const KeyName& top, const TreeVisitor& visit);
    // The files the store lives in, which an export must never replace.
    virtual std::vector<std::string> storeFiles() const { return {}; }
};

struct RegCommand {
    enum class Kind { Help, Query, Add, Delete, Export, Import };
    Kind kind = Kind::Help;
    KeyName key;
    std::optional<std::string> valueName;  // /v NAME, or "" for /ve
    bool allValues = false;                // delete /va
    RegValue value;                        // add: the data after /t and /d
    std::string file;                      // export, import
    RegFileFormat format;                  // export --v5; import and export --codepage
};

// Raises RegToolError for a command line that makes no sense.
RegCommand parseRegCommand(const std::vector<std::string>& arguments);

// Runs the command; the result is the exit code (0 done, 1 failed). Failures
// are written to `err` as "ERROR: ...".
int runRegCommand(const RegCommand& command, RegToolStore& store, std::ostream& out,
                  std::ostream& err);

// Parses, opens the store only when the command needs one, runs.
int runRegTool(const std::vector<std::string>& arguments,
               const std::function<std::unique_ptr<RegToolStore>()>& openStore, std::ostream& out,
               std::ostream& err);

}  // namespace zn::regtool
