// The folder picker as Qt's own directory dialog, centred on the screen. The
// desktop has no shell namespace, so every root starts at the file system's
// top, and only file-system folders can be chosen whatever the options say.
#pragma once

#include <QWidget>

#include "platform/folder_picker.h"

namespace zn {

class QtFolderPicker : public FolderPicker {
public:
    std::optional<std::string> pickFolder(const FolderPickerRequest& request) override;
};

}  // namespace zn
