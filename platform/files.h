// The file system as the setup program and the uninstaller see it: whole
// files copied, renamed and deleted, folders made one level at a time, and the
// folders the system names. Every operation reports failure as false and
// never raises: the callers decide which failures matter.
#pragma once

#include <string>
#include <vector>

#include "platform/path_separator.h"

namespace zn {

// Names that differ between systems; the rules build paths from them.
#ifdef _WIN32
inline constexpr const char* kExecutableSuffix = ".exe";
inline constexpr const char* kLinkExtension = ".lnk";
#else
inline constexpr const char* kExecutableSuffix = "";
inline constexpr const char* kLinkExtension = ".desktop";
#endif

class Files {
public:
    virtual ~Files() = default;

    virtual std::string currentFolder() const = 0;
    virtual std::string homeFolder() const = 0;
    // Where the system keeps its own programs: the uninstaller lands there.
    // No trailing separator unless it is a root.
    virtual std::string windowsFolder() const = 0;
    // The places a folder choice starts from: the home folder, the root and
    // the mounted volumes, in that order.
    virtual std::vector<std::string> places() const = 0;
    // The names of the folders inside a folder, sorted; empty when unreadable.
    virtual std::vector<std::string> subfolders(const std::string& folder) const = 0;

    // Creates one folder; false when it exists already or its parent is missing.
    virtual bool createFolder(const std::string& path) = 0;
    // Removes an empty folder.
    virtual bool removeFolder(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Copies a file with its permissions, replacing one of the same name.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    virtual bool exists(const std::string& path) const = 0;
    // True when both names lead to one existing file.
    virtual bool sameFile(const std::string& a, const std::string& b) const = 0;
};

}  // namespace zn
