// Shortcuts as shell-link files, written through the shell's link object
// (IShellLinkA for the target, IPersistFile for the file).
#pragma once

#include <string>

#include "platform/shell_links.h"

namespace zn::win32 {

// COM for the calling thread while it lives: initialised at construction,
// uninitialised at destruction when the initialisation counted.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

class Win32ShellLinks : public ShellLinks {
public:
    // A fresh link object for each link; raises when the shell has none.
    void createLink(const std::string& target, const std::string& linkPath) override;
    // MoveFileA, which neither replaces nor invents a file.
    void renameLink(const std::string& from, const std::string& to) override;
    // The target a link file holds; empty when it cannot be read.
    std::string linkTarget(const std::string& linkPath) const;

private:
    ComApartment com_;
};

}  // namespace zn::win32
