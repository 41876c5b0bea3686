// Where the store and the desktop's per-user folders are, from the
// environment (XDG base directories), and how missing private folders are made.
#pragma once

#include <filesystem>

namespace zn {

// The user's folders as the XDG base-directory rules define them. A relative
// or empty variable is ignored, as those rules require.
struct XdgFolders {
    std::filesystem::path home;        // $HOME, else the password database's entry
    std::filesystem::path dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME, else ~/.config

    static XdgFolders fromEnvironment();
};

// $ZINTREL_REGISTRY when set and non-empty, else $XDG_DATA_HOME/zintrel/registry.db.
std::filesystem::path registryLocation();

// Creates every missing folder of the path with mode 0700 (whatever the umask);
// folders that already exist keep their mode. Raises std::filesystem_error.
void createPrivateFolders(const std::filesystem::path& folder);

}  // namespace zn
