#include "import/qt/qt_import_dialogs.h"

#include <QApplication>

#include "import/qt/import_dialog_view.h"

namespace zn {

bool QtImportDialogs::runImportDialog(TwImport& dialog) {
    ImportDialogView view(dialog, dispatcher_, picker_, QApplication::activeWindow());
    return view.run();
}

}  // namespace zn
