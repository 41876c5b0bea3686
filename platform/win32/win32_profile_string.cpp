#include "platform/win32/win32_profile_string.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace zn::win32 {
namespace {

// A bare file name would be looked for in the Windows folder.
std::string fullPath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<char> buffer(needed);
    const DWORD length = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
    return length > 0 && length < needed ? std::string(buffer.data(), length) : path;
}

}  // namespace

std::string readPrivateProfileString(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& defaultValue,
                                     std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    // An empty section or key would make the system list names instead.
    if (section.empty() || key.empty()) return defaultValue.substr(0, bufferSize - 1);
    const DWORD size = bufferSize > INT_MAX ? INT_MAX : static_cast<DWORD>(bufferSize);
    std::vector<char> buffer(size, '\0');
    const DWORD copied =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                 size, fullPath(path).c_str());
    return std::string(buffer.data(), copied < size ? copied : size - 1);
}

}  // namespace zn::win32
