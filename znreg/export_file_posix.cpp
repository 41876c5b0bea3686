// The export file on Linux: written beside its target, private, synced, renamed over it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>

#include "znreg/export_file.h"
#include "znreg/reg_file.h"

namespace zn::regtool {
namespace {

// The file a path names, links followed; nullopt when there is none.
std::optional<std::pair<dev_t, ino_t>> fileIdentity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return std::make_pair(status.st_dev, status.st_ino);
}

// Replacing the store, or its -wal or -shm beside it, would destroy it.
void refuseStoreFiles(const std::filesystem::path& target, const std::string& shownPath,
                      const std::vector<std::string>& storeFiles) {
    const auto targetFile = fileIdentity(target);
    for (const auto& file : storeFiles) {
        std::error_code error;
        const auto storePath = std::filesystem::weakly_canonical(file, error);
        if ((targetFile && targetFile == fileIdentity(file)) || (!error && storePath == target))
            throw RegToolError("Cannot create file " + shownPath + ": it is the registry store");
    }
}

}  // namespace

// An export holds the verifier and every enciphered entry, which only
// obfuscate: the file is made readable by its owner alone, like the store.
// It is written beside the target and renamed over it, so that a failure
// leaves the old file whole; a link is followed and the file it names replaced.
void writeExportFile(const std::string& path, const std::string& text,
                     const std::vector<std::string>& storeFiles) {
    const RegToolError cannotCreate("Cannot create file " + path);
    std::error_code error;
    const auto target = std::filesystem::weakly_canonical(path, error);
    if (error || target.filename().empty()) throw cannotCreate;
    refuseStoreFiles(target, path, storeFiles);
    std::string temporary =
        target.parent_path() / std::string(".").append(target.filename().string()).append(".XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) throw cannotCreate;
    struct TemporaryFile {
        const std::string& path;
        int fd;
        bool renamed = false;
        ~TemporaryFile() {
            if (fd >= 0) ::close(fd);
            if (!renamed) ::unlink(path.c_str());
        }
    } file{temporary, fd};
    if (::fchmod(file.fd, 0600) != 0) throw cannotCreate;
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t step = ::write(file.fd, text.data() + written, text.size() - written);
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) throw cannotCreate;
        written += static_cast<std::size_t>(step);
    }
    if (::fsync(file.fd) != 0) throw cannotCreate;
    if (::close(std::exchange(file.fd, -1)) != 0) throw cannotCreate;
    if (::rename(temporary.c_str(), target.c_str()) != 0) throw cannotCreate;
    file.renamed = true;
}

}  // namespace zn::regtool
