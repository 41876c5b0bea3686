// What the import needs besides the main window's own ports: the file
// system, the message pump, the folder picker, the dialog's window, and the
// folder the bookmark-file page starts from.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/folder_picker.h"
#include "platform/message_pump.h"

namespace zn {

class TwImport;

class ImportDialogs {
public:
    virtual ~ImportDialogs() = default;
    // Shows the dialog modally; true when it closed with "Import Now". Its
    // first showing runs TwImport::FormShow.
    virtual bool runImportDialog(TwImport& dialog) = 0;
};

struct ImportPorts {
    FileSystem& files;
    MessagePump& pump;
    FolderPicker& picker;
    ImportDialogs& dialogs;
    std::string bookmarkFolder;  // the bookmark-file page's folder field at first
};

}  // namespace zn
