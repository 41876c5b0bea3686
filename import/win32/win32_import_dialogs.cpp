#include "import/win32/win32_import_dialogs.h"

#include "import/win32/import_dialog_window.h"
#include "platform/win32/win32_services.h"

namespace zn::win32 {

bool Win32ImportDialogs::runImportDialog(TwImport& dialog) {
    HWND owner = messageOwner();
    ImportDialogWindow window(dialog, dispatcher_, picker_, owner);
    return window.run(owner);
}

}  // namespace zn::win32
