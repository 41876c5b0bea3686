// Shortcuts as freedesktop desktop entries. A link to a program runs it; a
// link to anything else opens it with the desktop's handler (xdg-open). The
// entry's Name is its file name without ".desktop", as a Windows shortcut
// shows its file name, and a rename renames it.
#pragma once

#include <string>

#include "platform/shell_links.h"

namespace zn {

// The desktop entry for a link named linkName (without extension) to target;
// program says whether the target is run or opened.
std::string linkDesktopEntry(const std::string& linkName, const std::string& target, bool program);

class DesktopEntryLinks : public ShellLinks {
public:
    void createLink(const std::string& target, const std::string& linkPath) override;
    void renameLink(const std::string& from, const std::string& to) override;
    // Sets the file's metadata::trusted through gio, when gio is installed.
    void markTrusted(const std::string& linkPath) override;
};

}  // namespace zn
