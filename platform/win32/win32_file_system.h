// The file-system port over the Win32 API: folders listed with
// FindFirstFileA, masks matched by the shell's own rules (letter case
// ignored), whole files read with ReadFile and replaced through a temporary
// file that MoveFileExA puts in the file's place. A folder reached through a
// reparse point (a symbolic link or a junction) counts as the folder it leads
// to: a search keeps loops away by the folders' identities, and only regular
// files are ever read. Paths are ANSI code-page byte strings, as every text of
// the program is on Windows.
#pragma once

#include "platform/file_system.h"

namespace zn::win32 {

// Where a browser's bookmark files are first looked for.
std::string defaultBookmarkFolder();

class Win32FileSystem : public FileSystem {
public:
    std::string currentFolder() const override;
    // The user's profile folder.
    std::string homeFolder() const override;
    // GetWindowsDirectoryA.
    std::string windowsFolder() const override;
    // The drives' roots, C:\ first, then the others in drive order.
    std::vector<std::string> places() const override;

    std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const override;
    // A bare drive ("C:") lists its root.
    std::vector<std::string> subfolders(const std::string& folder) const override;
    bool matchesMask(const std::string& name, const std::string& mask) const override;
    bool exists(const std::string& path) const override;
    bool folderExists(const std::string& path) const override;
    bool sameFile(const std::string& a, const std::string& b) const override;
    // From GetFileInformationByHandle, through links: the volume's serial
    // number and the folder's file index.
    std::optional<FolderIdentity> folderIdentity(const std::string& folder) const override;

    std::optional<std::string> readWholeFile(const std::string& path) const override;
    bool replaceFile(const std::string& path, const std::string& content) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    // The running program's own file is deleted when Windows next starts.
    bool deleteFile(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;

    // Read by GetPrivateProfileStringA.
    std::string readProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue,
                                  std::size_t bufferSize) const override;
};

}  // namespace zn::win32
