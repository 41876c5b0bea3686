// The platform's folder picker: a modal tree of folders to choose one from.
#pragma once

#include <optional>
#include <string>

namespace zn {

struct FolderPickerRequest {
    int rootFolderId = -1;           // a shell special folder; -1: the whole tree
    unsigned options = 0;            // the picker options (BIF_* bits)
    bool writePathToStatus = false;  // the status line shows the selection's path
    std::string caption;             // the title line inside the picker
    std::string initialFolder;       // selected at opening when it names a folder
};

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // The chosen folder's file-system path; nothing when the user cancelled.
    virtual std::optional<std::string> pickFolder(const FolderPickerRequest& request) = 0;
};

// Where a window of this size sits centred on a screen of that size, each
// half rounded toward zero.
inline int centredOffset(int screenSize, int windowSize) {
    return screenSize / 2 - windowSize / 2;
}

}  // namespace zn
