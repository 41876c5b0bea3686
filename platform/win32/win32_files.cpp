#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/win32/win32_handles.h"

namespace zn::win32 {
namespace {

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The volume and file index that name one file, whatever path leads to it.
std::optional<std::pair<DWORD, ULONGLONG>> fileIdentity(const std::string& path) {
    // Backup semantics let a folder be opened as well as a file.
    const FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information)) return std::nullopt;
    return std::make_pair(
        information.dwVolumeSerialNumber,
        (ULONGLONG(information.nFileIndexHigh) << 32) | information.nFileIndexLow);
}

}  // namespace

std::string Win32Files::currentFolder() const {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string Win32Files::homeFolder() const {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableA("USERPROFILE", buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : currentFolder();
}

std::string Win32Files::windowsFolder() const {
    char buffer[255] = {};
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::vector<std::string> Win32Files::places() const {
    std::vector<std::string> roots;
    const DWORD drives = GetLogicalDrives();
    for (int drive = 0; drive < 26; ++drive)
        if (drives & (1u << drive)) roots.push_back(std::string(1, char('A' + drive)) + ":\\");
    // The chooser starts at drive C:.
    const auto c = std::find(roots.begin(), roots.end(), "C:\\");
    if (c != roots.end()) std::rotate(roots.begin(), c, c + 1);
    return roots;
}

std::vector<std::string> Win32Files::subfolders(const std::string& folder) const {
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
    pattern += '*';
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const FindHandle search(pattern, found);
    if (!search.valid()) return names;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search.get(), &found));
    // Windows lists names without regard to letter case.
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lowered(a) < lowered(b); });
    return names;
}

bool Win32Files::createFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32Files::removeFolder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool Win32Files::deleteFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    // A running program's file cannot be deleted, so the uninstaller could
    // never remove itself: its own file goes at the next start of Windows.
    char running[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, running, sizeof running);
    return length > 0 && length < sizeof running && sameFile(path, running) &&
           MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool Win32Files::copyFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32Files::exists(const std::string& path) const {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::sameFile(const std::string& a, const std::string& b) const {
    const auto first = fileIdentity(a);
    return first && first == fileIdentity(b);
}

}  // namespace zn::win32
