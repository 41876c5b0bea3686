#include "app/win32/win32_app_dialogs.h"

#include "app/win32/about_box_window.h"
#include "app/win32/password_dialog_window.h"
#include "platform/win32/win32_services.h"
#include "settings/win32/options_window.h"

namespace zn::win32 {

bool Win32AppDialogs::runPasswordDialog(TwPassword& dialog) {
    PasswordDialogWindow window(dialog, dispatcher_);
    return window.run();
}

void Win32AppDialogs::runAboutBox(TwAbout& dialog) {
    AboutBoxWindow window(dialog, dispatcher_);
    window.run();
}

bool Win32AppDialogs::runEntryDialog(TwAdd& dialog) {
    if (!entryDialog_) entryDialog_ = std::make_unique<EntryDialogWindow>();
    // One window serves every use: a second request while it shows is refused.
    if (entryDialog_->isRunning()) return false;
    return entryDialog_->run(dialog);
}

bool Win32AppDialogs::runOptionsDialog(TwOptions& dialog) {
    return runOptions_ && runOptions_(dialog);
}

std::optional<std::string> Win32AppDialogs::chooseProgram(const std::string& initialFile) {
    return chooseProgramFile(initialFile, messageOwner());
}

}  // namespace zn::win32
