// The folder-picker port over the shell's folder browser, SHBrowseForFolderA:
// the tree starts at the request's special folder (or the desktop), the
// request's options and title apply, the picker opens centred on the screen
// with the field's folder selected, and OK is enabled only for items that
// have a file-system path.
#pragma once

#include "platform/folder_picker.h"

namespace zn::win32 {

class Win32FolderPicker : public FolderPicker {
public:
    // Modal to the active window of ours (the import dialog).
    std::optional<std::string> pickFolder(const FolderPickerRequest& request) override;
};

}  // namespace zn::win32
