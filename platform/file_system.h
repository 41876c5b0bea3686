// The file system as the rules see it: folders listed entry by entry, whole
// files read, replaced, copied and deleted, folders made and removed one level
// at a time, the folders the system names, and the profile-string reader for
// initialisation-format files such as Internet shortcuts. Every operation
// reports failure in its result and never raises: the callers decide which
// failures matter.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zn {

struct FolderEntry {
    enum class Kind {
        File,
        Folder,
        Other,  // neither a file to match nor a folder to enter
    };
    std::string name;
    Kind kind = Kind::File;
};

// One folder however it is reached, through links too: on Linux its device
// and inode, on Windows its volume's serial number and its file index.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FolderIdentity&) const = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folders the system names.
    virtual std::string currentFolder() const = 0;
    virtual std::string homeFolder() const = 0;
    // Where the system keeps its own programs: the uninstaller lands there.
    // No trailing separator unless it is a root.
    virtual std::string windowsFolder() const = 0;
    // The places a folder choice starts from: the home folder, the root and
    // the mounted volumes, in that order.
    virtual std::vector<std::string> places() const = 0;

    // Every entry of the folder, hidden ones included, without "." and "..",
    // in no particular order; nothing when the folder cannot be listed.
    virtual std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder) const = 0;
    // The names of the folders inside a folder, sorted; empty when unreadable.
    virtual std::vector<std::string> subfolders(const std::string& folder) const = 0;
    // Whether a file name matches a mask of "*" and "?" wildcards, with the
    // platform's matching rules and letter case ignored.
    virtual bool matchesMask(const std::string& name, const std::string& mask) const = 0;
    // Whether anything at all is there, a dangling link too.
    virtual bool exists(const std::string& path) const = 0;
    virtual bool folderExists(const std::string& path) const = 0;
    // True when both names lead to one existing file.
    virtual bool sameFile(const std::string& a, const std::string& b) const = 0;
    // Which folder the path leads to, so that a search that follows links
    // enters each folder once; nothing when it is no folder or cannot be told.
    virtual std::optional<FolderIdentity> folderIdentity(const std::string& folder) const = 0;

    // The file's bytes; nothing when it cannot be read or is no regular file.
    virtual std::optional<std::string> readWholeFile(const std::string& path) const = 0;
    // Replaces the file's content so that a reader sees the old content or the
    // new, never a mixture, and the file keeps its permissions. False on failure,
    // with the old content untouched.
    virtual bool replaceFile(const std::string& path, const std::string& content) = 0;
    // Copies a file with its permissions, replacing one of the same name.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    // Deletes a file, never a folder; false when it could not.
    virtual bool deleteFile(const std::string& path) = 0;
    // Creates one folder; false when it exists already or its parent is missing.
    virtual bool createFolder(const std::string& path) = 0;
    // Removes an empty folder.
    virtual bool removeFolder(const std::string& path) = 0;

    // The value of key in section of an initialisation-format file, read into
    // a buffer of bufferSize characters: at most bufferSize - 1 of them come
    // back. The default when the file, the section or the key is missing.
    virtual std::string readProfileString(const std::string& path, const std::string& section,
                                          const std::string& key, const std::string& defaultValue,
                                          std::size_t bufferSize) const = 0;
};

}  // namespace zn
