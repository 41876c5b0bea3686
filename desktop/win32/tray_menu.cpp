#include "desktop/win32/tray_menu.h"

namespace zn::win32 {

TrayMenu::TrayMenu(TForm1& form, HWND owner, HWND mainWindow)
    : form_(form), owner_(owner), mainWindow_(mainWindow), menu_(CreatePopupMenu()) {
    AppendMenuA(menu_.get(), MF_STRING, Activate1, "&Open");
    AppendMenuA(menu_.get(), MF_STRING, AddBookmark1, "&Add Bookmark");
    AppendMenuA(menu_.get(), MF_STRING, Quit1, "&Quit");
}

void TrayMenu::popUp(ScreenPoint at) {
    // A menu of a window in the background would not close when the user
    // clicks elsewhere: its owner comes to the foreground first, and the
    // message posted after it lets the next click reach the tray again.
    SetForegroundWindow(owner_);
    const UINT picked = static_cast<UINT>(
        TrackPopupMenu(menu_.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0,
                       owner_, nullptr));
    PostMessageA(owner_, WM_NULL, 0, 0);
    choose(picked);
}

void TrayMenu::choose(UINT item) {
    switch (item) {
        case Activate1:
            form_.dispatcher().run([this] { form_.Activate1Click(); });
            break;
        case AddBookmark1:
            form_.dispatcher().run([this] { form_.AddBookmark1Click(); });
            break;
        case Quit1:
            SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

}  // namespace zn::win32
