// TOrvFileCollector: finds every file that matches a mask in a folder tree
// and gives their full paths in a fixed order: a folder's own files in name
// order first, then each subfolder's whole tree, subfolders in name order.
// Names are ordered by the locale ignoring letter case.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/message_pump.h"
#include "platform/text_collation.h"

namespace zn {

class TOrvFileCollector;
using TOrvOnFileFound = std::function<void(TOrvFileCollector&, const std::string& path)>;

// The folder text a search starts from: ending in exactly the separator the
// folder part keeps, so "a/b" and "a/b/" both give "a/b/" and "/" stays "/"
// (on Windows "D:\Data" gives "D:\Data\" and "D:\" stays).
std::string normalisedSearchFolder(const std::string& folder);

class TOrvFileCollector {
public:
    TOrvFileCollector(const FileSystem& files, const TextCollation& collation, MessagePump& pump)
        : files_(files), collation_(collation), pump_(pump) {}

    std::string InitialDirectory;
    std::string FileMask;
    std::vector<std::string> LocatedObjects;
    std::function<void(TOrvFileCollector&)> OnDirectoryFound;
    TOrvOnFileFound OnFileFound;

    // Searches the tree; true when the top folder itself held a matching file.
    bool Collect();

private:
    bool visit(const std::string& folder);

    // The folders entered by this search: a link back up the tree, or a
    // second way to one folder, is not entered again.
    std::set<FolderIdentity> entered_;

    const FileSystem& files_;
    const TextCollation& collation_;
    MessagePump& pump_;
};

}  // namespace zn
