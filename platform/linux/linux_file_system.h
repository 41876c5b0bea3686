// The file-system port over POSIX calls. Masks are matched as shell patterns
// with letter case ignored; a symbolic link counts as what it points to (a
// search keeps loops away by the folders' identities), and only regular files
// are ever read. The Windows folder is ~/.local/bin, the folder of the user's
// own programs that desktops put on the path.
#pragma once

#include "platform/file_system.h"

namespace zn {

// Where a browser's bookmark files are first looked for: ~/.netscape.
std::string defaultBookmarkFolder();

class LinuxFileSystem : public FileSystem {
public:
    std::string currentFolder() const override;
    std::string homeFolder() const override;
    std::string windowsFolder() const override;
    std::vector<std::string> places() const override;

    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override;
    std::vector<std::string> subfolders(const std::string& folder) const override;
    bool matchesMask(const std::string& name, const std::string& mask) const override;
    bool exists(const std::string& path) const override;
    bool folderExists(const std::string& path) const override;
    bool sameFile(const std::string& a, const std::string& b) const override;
    std::optional<FolderIdentity> folderIdentity(const std::string& folder) const override;

    std::optional<std::string> readWholeFile(const std::string& path) const override;
    bool replaceFile(const std::string& path, const std::string& content) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;

    std::string readProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue,
                                  std::size_t bufferSize) const override;
};

// The mount points in a mounts table (the text of /proc/self/mounts) that a
// user would pick a folder on: removable and extra volumes, not the system's own.
std::vector<std::string> userVolumes(const std::string& mountsText);

}  // namespace zn
