#include "platform/linux/linux_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/linux/registry_location.h"

namespace zn {
namespace {

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

std::string LinuxFiles::currentFolder() const {
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

std::string LinuxFiles::homeFolder() const {
    return XdgFolders::fromEnvironment().home.string();
}

std::string LinuxFiles::windowsFolder() const {
    return (XdgFolders::fromEnvironment().home / ".local" / "bin").string();
}

std::vector<std::string> LinuxFiles::places() const {
    std::vector<std::string> places{homeFolder(), "/"};
    std::ifstream mounts("/proc/self/mounts");
    std::ostringstream text;
    text << mounts.rdbuf();
    for (auto& volume : userVolumes(text.str()))
        if (std::find(places.begin(), places.end(), volume) == places.end())
            places.push_back(std::move(volume));
    return places;
}

std::vector<std::string> LinuxFiles::subfolders(const std::string& folder) const {
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

bool LinuxFiles::createFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool LinuxFiles::removeFolder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

bool LinuxFiles::deleteFile(const std::string& path) {
    struct stat status {};
    // Only files: a folder of that name is not ours to remove.
    if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool LinuxFiles::copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                      error) &&
           !error;
}

bool LinuxFiles::exists(const std::string& path) const {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool LinuxFiles::sameFile(const std::string& a, const std::string& b) const {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace zn
