// The setup tests' links on the system they run on: desktop entries on Linux,
// shell-link files on Windows, and what differs between the two in what the
// tests expect. The real file system comes from tests/fakes/native_file_system.h.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/path_separator.h"
#include "platform/shell_links.h"

#ifdef _WIN32
#include "platform/win32/win32_shell_links.h"
#else
#include "platform/linux/desktop_links.h"
#endif

namespace zn::setup::testing {

#ifdef _WIN32
using NativeLinks = zn::win32::Win32ShellLinks;

inline std::string linkTarget(const std::filesystem::path& link) {
    return NativeLinks().linkTarget(link.string());
}

inline std::string defaultInstallFolder(const std::string& /*home*/) {
    return "C:\\Program Files\\znvault";
}
#else
using NativeLinks = DesktopEntryLinks;

// The last word of the entry's command: the program it runs or the document
// it opens; quoted when it holds a space.
inline std::string linkTarget(const std::filesystem::path& link) {
    std::ifstream file(link);
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("Exec=", 0) != 0) continue;
        if (line.back() != '"') return line.substr(line.find_last_of(" =") + 1);
        const auto open = line.rfind('"', line.size() - 2);
        return open == std::string::npos ? std::string()
                                         : line.substr(open + 1, line.size() - open - 2);
    }
    return {};
}

inline std::string defaultInstallFolder(const std::string& home) {
    return home + "/.local/opt/znvault";
}
#endif

// A path with the system's separators, as the rules build them.
inline std::string native(std::filesystem::path path) {
    return path.make_preferred().string();
}

inline std::string linkFile(const std::string& stem) {
    return stem + kLinkExtension;
}

}  // namespace zn::setup::testing
