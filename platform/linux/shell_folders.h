// The shell folders a new store starts with. The rules read the desktop, the
// start menu and the favorites folder from the Explorer keys; on Linux these
// values point at the desktop's own folders.
#pragma once

#include <string>

#include "platform/linux/registry_location.h"
#include "platform/registry.h"

namespace zn {

inline constexpr const char* kShellFoldersKeyPath =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kUserShellFoldersKeyPath =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct ShellFolderPaths {
    std::string desktop;    // XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop
    std::string startMenu;  // $XDG_DATA_HOME/applications
    std::string favorites;  // ~/Favorites

    static ShellFolderPaths fromFolders(const XdgFolders& folders);
    static ShellFolderPaths fromEnvironment() { return fromFolders(XdgFolders::fromEnvironment()); }
};

// The desktop folder named by a user-dirs.dirs text, with $HOME expanded;
// empty when the text does not name one.
std::string desktopFolderFromUserDirs(const std::string& userDirsText, const std::string& home);

// Writes "Desktop" and "Start Menu" under Shell Folders and "Favorites" under
// User Shell Folders of the current user, all as strings.
void seedShellFolders(Registry& registry, const ShellFolderPaths& paths);

}  // namespace zn
