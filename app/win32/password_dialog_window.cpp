#include "app/win32/password_dialog_window.h"

namespace zn::win32 {
namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 180;

}  // namespace

PasswordDialogWindow::PasswordDialogWindow(TwPassword& logic, const HandlerDispatcher& dispatcher)
    : logic_(logic), dispatcher_(dispatcher) {
    // A caption without a system menu: no title-bar buttons.
    createDialog("ZintrelPasswordDialog", "Enter Password Information", kClientWidth, kClientHeight,
                 false, WS_POPUP | WS_CAPTION);
    headingFont_.applyTo(addControl("STATIC", "Welcome to Zintrel!", SS_LEFT | SS_NOPREFIX,
                                    RECT{12, 10, 348, 26}, kWelcomeHeading));
    addControl("STATIC",
               "Please enter a unique password to access Zintrel. This password is used to "
               "encrypt your Zintrel for complete security.\r\n(Note: The password must be at "
               "least 5 characters.)",
               SS_LEFT | SS_NOPREFIX, RECT{12, 36, 348, 84}, kWelcomeText);
    addControl("STATIC", "Enter Password:", SS_LEFT, RECT{12, 95, 124, 111}, 0);
    addControl("EDIT", "", WS_TABSTOP | WS_GROUP | ES_PASSWORD | ES_AUTOHSCROLL,
               RECT{126, 92, 348, 113}, kFirstPasswordField, WS_EX_CLIENTEDGE);
    addControl("STATIC", "Re-Enter Password:", SS_LEFT, RECT{12, 122, 124, 138}, 0);
    addControl("EDIT", "", WS_TABSTOP | WS_GROUP | ES_PASSWORD | ES_AUTOHSCROLL,
               RECT{126, 119, 348, 140}, kSecondPasswordField, WS_EX_CLIENTEDGE);
    for (const int id : {kFirstPasswordField, kSecondPasswordField}) {
        SendMessageA(field(id), EM_SETPASSWORDCHAR, '*', 0);
        SendMessageA(field(id), EM_SETLIMITTEXT, 0, 0);
    }
    addControl("BUTTON", "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
               RECT{kClientWidth / 2 - 38, 148, kClientWidth / 2 + 38, 173}, IDOK);
}

void PasswordDialogWindow::pressOk() {
    logic_.Edit1 = windowText(field(kFirstPasswordField));
    logic_.Edit2 = windowText(field(kSecondPasswordField));
    bool closes = false;
    dispatcher_.run([&] { closes = logic_.BitBtn1Click(); });
    if (closes) end(true);
}

LRESULT PasswordDialogWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            // Esc presses a dialog's Cancel button, and this one has none.
            if (LOWORD(wParam) == IDOK) pressOk();
            return 0;
        case WM_CLOSE:
            // The system's close keystroke: refused while the logic says so.
            if (logic_.FormCloseQuery()) end(false);
            return 0;
        default:
            break;
    }
    return ModalDialog::handleMessage(message, wParam, lParam);
}

bool PasswordDialogWindow::run() {
    return runModal(field(kFirstPasswordField));
}

}  // namespace zn::win32
