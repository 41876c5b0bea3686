// The file-system port over POSIX calls. The Windows folder is ~/.local/bin,
// the folder of the user's own programs that desktops put on the path.
#pragma once

#include "platform/files.h"

namespace zn {

class LinuxFiles : public Files {
public:
    std::string currentFolder() const override;
    std::string homeFolder() const override;
    std::string windowsFolder() const override;
    std::vector<std::string> places() const override;
    std::vector<std::string> subfolders(const std::string& folder) const override;

    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool exists(const std::string& path) const override;
    bool sameFile(const std::string& a, const std::string& b) const override;
};

// The mount points in a mounts table (the text of /proc/self/mounts) that a
// user would pick a folder on: removable and extra volumes, not the system's own.
std::vector<std::string> userVolumes(const std::string& mountsText);

}  // namespace zn
