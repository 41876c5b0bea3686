// The import dialog's port as a Qt window.
#pragma once

#include "app/handler_dispatcher.h"
#include "import/import_ports.h"

namespace zn {

class QtImportDialogs : public ImportDialogs {
public:
    QtImportDialogs(MessageBoxes& messages, FolderPicker& picker)
        : dispatcher_(messages), picker_(picker) {}
    bool runImportDialog(TwImport& dialog) override;

private:
    HandlerDispatcher dispatcher_;
    FolderPicker& picker_;
};

}  // namespace zn
