#include "platform/win32/win32_file_system.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>

#include "platform/path_separator.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_profile_string.h"

namespace zn::win32 {
namespace {

constexpr DWORD kMostPerCall = 1u << 30;  // ReadFile and WriteFile take a DWORD count

std::string withSeparator(const std::string& folder) {
    if (folder.empty()) return ".\\";
    const char last = folder.back();
    return last == '\\' || last == '/' || last == ':' ? folder : folder + kPathSeparator;
}

// The file a path finally names, so that a rewrite replaces the file behind a
// link and leaves the link in place.
std::string resolvedPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    FileHandle file(CreateFileA(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return path;
    char buffer[MAX_PATH * 4];
    const DWORD length =
        GetFinalPathNameByHandleA(file.get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof buffer) return path;
    std::string resolved(buffer, length);
    // The long-path prefix the call adds; a local drive path reads without it.
    if (resolved.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + resolved.substr(8);
    if (resolved.rfind("\\\\?\\", 0) == 0) return resolved.substr(4);
    return resolved;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a file or folder is, reached through every link on the way: its
// volume's serial number and its file index name it whatever path leads to it.
struct FileIdentity {
    FolderIdentity identity;
    bool folder = false;
};

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    // Backup semantics let a folder be opened as well as a file; without
    // FILE_FLAG_OPEN_REPARSE_POINT the open follows a link to what it names.
    const FileHandle file(CreateFileA(path.empty() ? "." : path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information)) return std::nullopt;
    return FileIdentity{
        {information.dwVolumeSerialNumber,
         (std::uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow},
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

// What a listed entry is to a search.
FolderEntry::Kind kindOf(const std::string& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DEVICE) return FolderEntry::Kind::Other;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderEntry::Kind::File;
    // A linked folder (a symbolic link or a junction) is entered only when the
    // search can tell where it leads, which keeps a link back up the tree
    // from being followed round and round.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return FolderEntry::Kind::Folder;
    const auto target = fileIdentity(path);
    return target && target->folder ? FolderEntry::Kind::Folder : FolderEntry::Kind::Other;
}

bool writeAll(HANDLE file, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const std::size_t left = text.size() - written;
        DWORD count = 0;
        if (!WriteFile(file, text.data() + written,
                       static_cast<DWORD>(left < kMostPerCall ? left : kMostPerCall), &count,
                       nullptr) ||
            count == 0)
            return false;
        written += count;
    }
    return true;
}

}  // namespace

std::string defaultBookmarkFolder() {
    return "C:\\Program Files\\Netscape\\Users";
}

std::string Win32FileSystem::currentFolder() const {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string folder(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, folder.data());
    folder.resize(length < needed ? length : 0);
    return folder;
}

std::string Win32FileSystem::homeFolder() const {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableA("USERPROFILE", buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : currentFolder();
}

std::string Win32FileSystem::windowsFolder() const {
    char buffer[255] = {};
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::vector<std::string> Win32FileSystem::places() const {
    std::vector<std::string> roots;
    const DWORD drives = GetLogicalDrives();
    for (int drive = 0; drive < 26; ++drive)
        if (drives & (1u << drive)) roots.push_back(std::string(1, char('A' + drive)) + ":\\");
    // The chooser starts at drive C:.
    const auto c = std::find(roots.begin(), roots.end(), "C:\\");
    if (c != roots.end()) std::rotate(roots.begin(), c, c + 1);
    return roots;
}

std::optional<std::vector<FolderEntry>> Win32FileSystem::listFolder(
    const std::string& folder) const {
    const std::string prefix = withSeparator(folder);
    WIN32_FIND_DATAA data{};
    // Every entry: FindFirstFileA lists hidden, system and read-only ones too.
    FindHandle search(prefix + "*", data);
    if (!search.valid()) return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, kindOf(prefix + name, data.dwFileAttributes)});
    } while (FindNextFileA(search.get(), &data));
    return entries;
}

std::vector<std::string> Win32FileSystem::subfolders(const std::string& folder) const {
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

bool Win32FileSystem::matchesMask(const std::string& name, const std::string& mask) const {
    // The shell's rules: "*" and "?", letter case ignored, "*.*" matching
    // every name, a name without extension matching "name.*".
    return PathMatchSpecA(name.c_str(), mask.c_str()) != FALSE;
}

bool Win32FileSystem::exists(const std::string& path) const {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::folderExists(const std::string& path) const {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::sameFile(const std::string& a, const std::string& b) const {
    const auto first = fileIdentity(a);
    const auto second = first ? fileIdentity(b) : std::nullopt;
    return second && first->identity == second->identity;
}

std::optional<FolderIdentity> Win32FileSystem::folderIdentity(const std::string& folder) const {
    const auto found = fileIdentity(folder);
    if (!found || !found->folder) return std::nullopt;
    return found->identity;
}

std::optional<std::string> Win32FileSystem::readWholeFile(const std::string& path) const {
    // A browser may hold the file open, also for writing.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return std::nullopt;  // a folder does not open either
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || GetFileType(file.get()) != FILE_TYPE_DISK)
        return std::nullopt;
    // Sized from the file with one byte to spare, so that the read finding the
    // end needs no larger text; a file that grows meanwhile is read on to its end.
    std::string content(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) content.resize(content.size() + (1 << 16));
        const std::size_t room = content.size() - filled;
        DWORD now = 0;
        if (!ReadFile(file.get(), content.data() + filled,
                      static_cast<DWORD>(room < kMostPerCall ? room : kMostPerCall), &now, nullptr))
            return std::nullopt;
        if (now == 0) break;
        filled += now;
    }
    content.resize(filled);
    return content;
}

bool Win32FileSystem::replaceFile(const std::string& path, const std::string& content) {
    const std::string target = resolvedPath(path);
    const DWORD old = GetFileAttributesA(target.c_str());
    // A file its owner made read-only is not to be rewritten.
    if (old != INVALID_FILE_ATTRIBUTES &&
        (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    // The temporary file lies beside the target, so the move is a rename on
    // one volume and a reader sees the old content or the new, never a mixture.
    const std::size_t cut = target.find_last_of(kFolderEnds);
    const std::string folder = cut == std::string::npos ? "." : target.substr(0, cut + 1);
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "zn", 0, temporary)) return false;
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    // The file keeps its attributes (hidden, archive, ...); a new one gets the usual.
    const DWORD attributes =
        old == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_ARCHIVE : old & ~FILE_ATTRIBUTE_NORMAL;
    const bool written =
        file.valid() && writeAll(file.get(), content) && FlushFileBuffers(file.get()) &&
        file.close() &&
        SetFileAttributesA(temporary, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) &&
        MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) {
        file.close();
        SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL);  // a hidden one deletes too
        DeleteFileA(temporary);
    }
    return written;
}

bool Win32FileSystem::copyFile(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    // A running program's file cannot be deleted, so the uninstaller could
    // never remove itself: its own file goes at the next start of Windows.
    char running[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, running, sizeof running);
    return length > 0 && length < sizeof running && sameFile(path, running) &&
           MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool Win32FileSystem::createFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32FileSystem::removeFolder(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::string Win32FileSystem::readProfileString(const std::string& path, const std::string& section,
                                               const std::string& key,
                                               const std::string& defaultValue,
                                               std::size_t bufferSize) const {
    return readPrivateProfileString(path, section, key, defaultValue, bufferSize);
}

}  // namespace zn::win32
