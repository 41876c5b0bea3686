#include "platform/linux/registry_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

namespace zn {
namespace {

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    std::filesystem::path path(value);
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

std::filesystem::path homeFolder() {
    if (auto home = absoluteFromEnvironment("HOME")) return *home;
    // getpwuid_r keeps us clear of the C library's shared static buffer.
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return "/";
}

}  // namespace

XdgFolders XdgFolders::fromEnvironment() {
    XdgFolders folders;
    folders.home = homeFolder();
    folders.dataHome =
        absoluteFromEnvironment("XDG_DATA_HOME").value_or(folders.home / ".local" / "share");
    folders.configHome =
        absoluteFromEnvironment("XDG_CONFIG_HOME").value_or(folders.home / ".config");
    return folders;
}

std::filesystem::path registryLocation() {
    const char* explicitPath = std::getenv("ZINTREL_REGISTRY");
    if (explicitPath && *explicitPath) return explicitPath;
    return XdgFolders::fromEnvironment().dataHome / "zintrel" / "registry.db";
}

void createPrivateFolders(const std::filesystem::path& folder) {
    if (folder.empty()) return;
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0) {
            // mkdir's mode is filtered through the umask; the folder must be
            // private whatever the umask says.
            if (::chmod(partial.c_str(), 0700) != 0)
                throw std::filesystem::filesystem_error(
                    "cannot set the mode of", partial,
                    std::error_code(errno, std::generic_category()));
            continue;
        }
        const int error = errno;
        // Existing folders, including ones above us we may not write to, are fine.
        std::error_code ignored;
        if (std::filesystem::is_directory(partial, ignored)) continue;
        throw std::filesystem::filesystem_error("cannot create the folder", partial,
                                                std::error_code(error, std::generic_category()));
    }
}

}  // namespace zn
