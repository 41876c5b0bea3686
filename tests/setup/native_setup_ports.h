// The setup tests' services on the system they run on: the real files and
// links of Linux (desktop entries) or of Windows (shell-link files), and what
// differs between the two in what the tests expect.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"

#ifdef _WIN32
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_shell_links.h"
#else
#include "platform/linux/desktop_links.h"
#include "platform/linux/linux_files.h"
#endif

namespace zn::setup::testing {

#ifdef _WIN32
using NativeFiles = zn::win32::Win32Files;
using NativeLinks = zn::win32::Win32ShellLinks;

inline std::string linkTarget(const std::filesystem::path& link) {
    return NativeLinks().linkTarget(link.string());
}

inline std::string defaultInstallFolder(const std::string& /*home*/) {
    return "C:\\Program Files\\znvault";
}
#else
using NativeFiles = LinuxFiles;
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
