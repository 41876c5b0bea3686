// The autostart mirror: each string value of the current user's Run key
// becomes an XDG autostart desktop entry, so that logging on really starts
// what the value names. The store calls it only for committed changes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zn {

// Under HKEY_CURRENT_USER.
inline constexpr const char* kRunKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A Windows-style command line taken apart.
struct RunCommand {
    std::string program;
    std::vector<std::string> arguments;
};

// The program is a leading double-quoted path, else the longest leading part
// (ending before a blank, or the whole text) that names an existing regular
// file, else the text up to the first blank. The rest splits at blanks, with
// double quotes grouping.
RunCommand parseRunCommand(const std::string& commandLine);

// The Exec= value (before the file's own string escaping) for the command.
std::string desktopExecValue(const RunCommand& command);

// A text as a desktop entry's string value holds it (backslash escapes).
std::string desktopStringValue(const std::string& text);

// The whole desktop entry file for the command.
std::string autostartDesktopEntry(const RunCommand& command);

// File name for a Run value: prefixed so that it cannot meet another
// program's entry, case-folded like value names, and limited to safe bytes.
std::string autostartFileName(const std::string& valueName);

class AutostartMirror {
public:
    explicit AutostartMirror(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path entryPath(const std::string& valueName) const {
        return folder_ / autostartFileName(valueName);
    }

    // Makes the entry for one Run value match the value as committed: a string
    // value with a program writes the entry, anything else removes it.
    // Raises failedToSetData(valueName) when the folder cannot be changed.
    void update(const std::string& valueName, const std::optional<RegValue>& value) const;

private:
    std::filesystem::path folder_;
};

}  // namespace zn
