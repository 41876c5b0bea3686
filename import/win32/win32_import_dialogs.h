// The import dialog's port as a native window.
#pragma once

#include "app/handler_dispatcher.h"
#include "import/import_ports.h"

namespace zn::win32 {

class Win32ImportDialogs : public ImportDialogs {
public:
    Win32ImportDialogs(MessageBoxes& messages, FolderPicker& picker)
        : dispatcher_(messages), picker_(picker) {}
    // Modal over the active window of ours (the main window, or the about
    // box at first run).
    bool runImportDialog(TwImport& dialog) override;

private:
    HandlerDispatcher dispatcher_;
    FolderPicker& picker_;
};

}  // namespace zn::win32
