#include "app/win32/win32_app_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "app/win32/about_box_window.h"
#include "app/win32/password_dialog_window.h"
#include "platform/win32/win32_services.h"

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
    // Room for the longest path the dialog can give back.
    std::vector<char> file(32768, '\0');
    initialFile.copy(file.data(), std::min(initialFile.size(), file.size() - 1));
    OPENFILENAMEA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = messageOwner();
    choice.lpstrFilter = "Executable Files\0*.exe\0";
    choice.lpstrFile = file.data();
    choice.nMaxFile = static_cast<DWORD>(file.size());
    choice.lpstrTitle = "Browser";
    choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&choice)) return std::nullopt;
    return std::string(file.data());
}

}  // namespace zn::win32
