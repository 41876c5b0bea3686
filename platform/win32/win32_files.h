// The file-system port over the Win32 file calls. Paths are ANSI code-page
// byte strings, as every text of the program is on Windows.
#pragma once

#include "platform/files.h"

namespace zn::win32 {

class Win32Files : public Files {
public:
    std::string currentFolder() const override;
    // The user's profile folder.
    std::string homeFolder() const override;
    // GetWindowsDirectoryA.
    std::string windowsFolder() const override;
    // The drives' roots, C:\ first, then the others in drive order.
    std::vector<std::string> places() const override;
    // A bare drive ("C:") lists its root.
    std::vector<std::string> subfolders(const std::string& folder) const override;

    bool createFolder(const std::string& path) override;
    bool removeFolder(const std::string& path) override;
    // The running program's own file is deleted when Windows next starts.
    bool deleteFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool exists(const std::string& path) const override;
    bool sameFile(const std::string& a, const std::string& b) const override;
};

}  // namespace zn::win32
