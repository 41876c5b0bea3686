// The file-system port over POSIX calls. Masks are matched as shell patterns
// with letter case ignored; a symbolic link counts as what it points to (a
// search keeps loops away by the folders' identities), and only regular files
// are ever read.
#pragma once

#include "platform/file_system.h"

namespace zn {

// Where a browser's bookmark files are first looked for: ~/.netscape.
std::string defaultBookmarkFolder();

class LinuxFileSystem : public FileSystem {
public:
    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override;
    bool matchesMask(const std::string& name, const std::string& mask) const override;
    std::string currentFolder() const override;
    bool folderExists(const std::string& path) const override;
    std::optional<FolderIdentity> folderIdentity(const std::string& folder) const override;
    std::optional<std::string> readWholeFile(const std::string& path) const override;
    bool replaceFile(const std::string& path, const std::string& content) override;
    bool deleteFile(const std::string& path) override;
    std::string readProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue,
                                  std::size_t bufferSize) const override;
};

}  // namespace zn
