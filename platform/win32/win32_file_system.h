// The file-system port over the Win32 API: folders listed with
// FindFirstFileA, masks matched by the shell's own rules (letter case
// ignored), whole files read with ReadFile and replaced through a temporary
// file that MoveFileExA puts in the file's place. A folder reached through a
// reparse point (a junction or a link) is never entered, since it may lead
// back up the tree.
#pragma once

#include "platform/file_system.h"

namespace zn::win32 {

// Where a browser's bookmark files are first looked for.
std::string defaultBookmarkFolder();

class Win32FileSystem : public FileSystem {
public:
    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override;
    bool matchesMask(const std::string& name, const std::string& mask) const override;
    std::string currentFolder() const override;
    bool folderExists(const std::string& path) const override;
    std::optional<std::string> readWholeFile(const std::string& path) const override;
    bool replaceFile(const std::string& path, const std::string& content) override;
    bool deleteFile(const std::string& path) override;
    // Read by GetPrivateProfileStringA.
    std::string readProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue,
                                  std::size_t bufferSize) const override;
};

}  // namespace zn::win32
