#include "platform/linux/linux_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>

#include "platform/linux/atomic_file.h"
#include "platform/linux/registry_location.h"
#include "platform/profile_string.h"

namespace zn {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Closes the file on every path out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

FolderEntry::Kind kindOf(int dirFd, const char* name, unsigned char type) {
    switch (type) {
        case DT_REG:
            return FolderEntry::Kind::File;
        case DT_DIR:
            return FolderEntry::Kind::Folder;
        case DT_LNK:
        case DT_UNKNOWN:
            break;
        default:
            return FolderEntry::Kind::Other;
    }
    struct stat own {};
    if (fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) return FolderEntry::Kind::Other;
    if (S_ISDIR(own.st_mode)) return FolderEntry::Kind::Folder;
    if (S_ISREG(own.st_mode)) return FolderEntry::Kind::File;
    if (!S_ISLNK(own.st_mode)) return FolderEntry::Kind::Other;
    struct stat target {};
    if (fstatat(dirFd, name, &target, 0) != 0) return FolderEntry::Kind::Other;
    if (S_ISDIR(target.st_mode)) return FolderEntry::Kind::Folder;
    return S_ISREG(target.st_mode) ? FolderEntry::Kind::File : FolderEntry::Kind::Other;
}

// The file a path finally names, so that a rewrite replaces the file behind a
// link and leaves the link in place.
std::string resolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Octal escapes (\040 for a blank) stand for bytes in a mount point.
std::string unescapeMountPoint(const std::string& field) {
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                path += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return path;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<std::string> userVolumes(const std::string& mountsText) {
    std::vector<std::string> volumes;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        mountPoint = unescapeMountPoint(mountPoint);
        const bool userVolume = startsWith(mountPoint, "/media/") ||
                                startsWith(mountPoint, "/mnt/") || mountPoint == "/mnt" ||
                                startsWith(mountPoint, "/run/media/");
        if (userVolume && std::find(volumes.begin(), volumes.end(), mountPoint) == volumes.end())
            volumes.push_back(mountPoint);
    }
    return volumes;
}

std::string defaultBookmarkFolder() {
    const char* home = getenv("HOME");
    return std::string(home ? home : "") + "/.netscape";
}

std::string LinuxFileSystem::currentFolder() const {
    std::unique_ptr<char, decltype(&free)> folder(getcwd(nullptr, 0), &free);
    return folder ? std::string(folder.get()) : std::string();
}

std::string LinuxFileSystem::homeFolder() const {
    return XdgFolders::fromEnvironment().home.string();
}

std::string LinuxFileSystem::windowsFolder() const {
    return (XdgFolders::fromEnvironment().home / ".local" / "bin").string();
}

std::vector<std::string> LinuxFileSystem::places() const {
    std::vector<std::string> places{homeFolder(), "/"};
    std::ifstream mounts("/proc/self/mounts");
    std::ostringstream text;
    text << mounts.rdbuf();
    for (auto& volume : userVolumes(text.str()))
        if (std::find(places.begin(), places.end(), volume) == places.end())
            places.push_back(std::move(volume));
    return places;
}

std::optional<std::vector<FolderEntry>> LinuxFileSystem::listFolder(
    const std::string& folder) const {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return std::nullopt;
    const int dirFd = dirfd(dir.get());
    std::vector<FolderEntry> entries;
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        entries.push_back({name, kindOf(dirFd, name, entry->d_type)});
    }
    return entries;
}

std::vector<std::string> LinuxFileSystem::subfolders(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool LinuxFileSystem::matchesMask(const std::string& name, const std::string& mask) const {
    return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0;
}

bool LinuxFileSystem::exists(const std::string& path) const {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool LinuxFileSystem::folderExists(const std::string& path) const {
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool LinuxFileSystem::sameFile(const std::string& a, const std::string& b) const {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

std::optional<FolderIdentity> LinuxFileSystem::folderIdentity(const std::string& folder) const {
    struct stat status {};
    if (stat(folder.empty() ? "." : folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(status.st_dev),
                          static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::string> LinuxFileSystem::readWholeFile(const std::string& path) const {
    // Without O_NONBLOCK a pipe put in a file's place would hold the open, and
    // with it the user-interface thread, until something writes to it.
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) return std::nullopt;
    struct stat status {};
    // A device or a pipe could give endless bytes, or none ever.
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    // Read straight into the text, sized from the file with one byte to spare,
    // so that the read finding the end needs no larger (copied) text; a file
    // that grows meanwhile is read on to its end.
    std::string content(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) content.resize(content.size() + (1 << 16));
        const ssize_t now = read(file.get(), content.data() + filled, content.size() - filled);
        if (now < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (now == 0) break;
        filled += static_cast<std::size_t>(now);
    }
    content.resize(filled);
    return content;
}

bool LinuxFileSystem::replaceFile(const std::string& path, const std::string& content) {
    const std::string target = resolvedPath(path);
    struct stat old {};
    const bool existed = stat(target.c_str(), &old) == 0;
    // A file its owner made read-only is not to be rewritten, although the
    // rename would get past its mode.
    if (existed && access(target.c_str(), W_OK) != 0) return false;
    return replaceFileAtomically(target, content, existed ? (old.st_mode & 07777) : 0644);
}

bool LinuxFileSystem::copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                      error) &&
           !error;
}

bool LinuxFileSystem::deleteFile(const std::string& path) {
    struct stat status {};
    // Only files: a folder of that name is not ours to remove.
    if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool LinuxFileSystem::createFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool LinuxFileSystem::removeFolder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

std::string LinuxFileSystem::readProfileString(const std::string& path, const std::string& section,
                                               const std::string& key,
                                               const std::string& defaultValue,
                                               std::size_t bufferSize) const {
    const auto text = readWholeFile(path);
    if (!text) return defaultValue.substr(0, bufferSize ? bufferSize - 1 : 0);
    return profileStringFromText(*text, section, key, defaultValue, bufferSize);
}

}  // namespace zn
