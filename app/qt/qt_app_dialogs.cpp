#include "app/qt/qt_app_dialogs.h"

#include <QApplication>

#include "app/qt/about_box_view.h"
#include "app/qt/password_dialog_view.h"
#include "settings/qt/options_dialog_view.h"

namespace zn {

bool QtAppDialogs::runPasswordDialog(TwPassword& dialog) {
    PasswordDialogView view(dialog, dispatcher_, QApplication::activeWindow());
    return view.exec() == QDialog::Accepted;
}

void QtAppDialogs::runAboutBox(TwAbout& dialog) {
    AboutBoxView view(dialog, dispatcher_, QApplication::activeWindow());
    view.exec();
}

bool QtAppDialogs::runEntryDialog(TwAdd& dialog) {
    if (!entryDialog_) entryDialog_ = std::make_unique<EntryDialogView>();
    // One window serves every use: a second request while it shows is refused.
    if (entryDialog_->isVisible()) return false;
    return entryDialog_->run(dialog);
}

bool QtAppDialogs::runOptionsDialog(TwOptions& dialog) {
    OptionsDialogView view(dialog, dispatcher_, keyboard_, QApplication::activeWindow());
    return view.run();
}

std::optional<std::string> QtAppDialogs::chooseProgram(const std::string& initialFile) {
    return chooseProgramFile(initialFile, QApplication::activeWindow());
}

}  // namespace zn
