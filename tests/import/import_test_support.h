// Real temporary folders filled with small files, for the import's tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/path_separator.h"
#include "tests/fakes/temp_folder.h"

namespace zn::testing {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// An Internet shortcut as browsers write it.
inline std::string shortcutText(const std::string& address) {
    return "[DEFAULT]\r\nBASEURL=" + address + "\r\n[InternetShortcut]\r\nURL=" + address +
           "\r\nIconIndex=0\r\n";
}

// A path written with "/" as this platform writes it.
inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '/') c = kPathSeparator;
    return path;
}
inline std::vector<std::string> nativePaths(std::vector<std::string> paths) {
    for (std::string& path : paths) path = native(path);
    return paths;
}

// The folder text as the rules keep it: with its trailing separator.
inline std::string folderText(const std::filesystem::path& path) {
    return native(path.string()) + kPathSeparator;
}

}  // namespace zn::testing
