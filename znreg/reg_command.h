// The znreg commands, in the manner of the Windows "reg" tool:
//   query KEY [/v NAME | /ve]
//   add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
//   delete KEY [/v NAME | /ve | /va] [/f]
//   export KEY FILE [/y]
//   import FILE
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
};

struct RegCommand {
    enum class Kind { Help, Query, Add, Delete, Export, Import };
    Kind kind = Kind::Help;
    KeyName key;
    std::optional<std::string> valueName;  // /v NAME, or "" for /ve
    bool allValues = false;                // delete /va
    RegValue value;                        // add: the data after /t and /d
    std::string file;                      // export, import
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
