#include "platform/linux/shell_folders.h"

#include <fstream>
#include <sstream>
#include <string_view>

namespace zn {
namespace {

// user-dirs.dirs is written as shell assignments: XDG_DESKTOP_DIR="$HOME/Desktop".
std::string unquoteShellValue(const std::string& text) {
    std::string value;
    std::size_t start = 0;
    std::size_t end = text.size();
    if (end >= 2 && text.front() == '"' && text.back() == '"') {
        start = 1;
        --end;
    }
    for (std::size_t i = start; i < end; ++i) {
        if (text[i] == '\\' && i + 1 < end) ++i;
        value += text[i];
    }
    return value;
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string desktopFolderFromUserDirs(const std::string& userDirsText, const std::string& home) {
    static constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    std::istringstream lines(userDirsText);
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, kKey.size(), kKey) != 0) continue;
        found = unquoteShellValue(line.substr(first + kKey.size()));
    }
    if (found == "$HOME") return home;
    if (found.rfind("$HOME/", 0) == 0) return home + found.substr(5);
    // Anything else must be absolute to mean a folder.
    return !found.empty() && found.front() == '/' ? found : std::string();
}

ShellFolderPaths ShellFolderPaths::fromFolders(const XdgFolders& folders) {
    ShellFolderPaths paths;
    paths.desktop = desktopFolderFromUserDirs(readWholeFile(folders.configHome / "user-dirs.dirs"),
                                              folders.home.string());
    if (paths.desktop.empty()) paths.desktop = (folders.home / "Desktop").string();
    paths.startMenu = (folders.dataHome / "applications").string();
    paths.favorites = (folders.home / "Favorites").string();
    return paths;
}

void seedShellFolders(Registry& registry, const ShellFolderPaths& paths) {
    const auto shellFolders = registry.openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, true);
    if (!shellFolders) throw failedToSetData("Desktop");
    shellFolders->writeString("Desktop", paths.desktop);
    shellFolders->writeString("Start Menu", paths.startMenu);
    const auto userShellFolders =
        registry.openKey(RegRoot::CurrentUser, kUserShellFoldersKeyPath, true);
    if (!userShellFolders) throw failedToSetData("Favorites");
    userShellFolders->writeString("Favorites", paths.favorites);
}

}  // namespace zn
