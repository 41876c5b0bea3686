// The set-password dialog's window: two masked fields and an OK button, no
// Cancel and no title-bar buttons.
#pragma once

#include "app/handler_dispatcher.h"
#include "app/password_dialog.h"
#include "app/win32/modal_dialog.h"

namespace zn::win32 {

enum PasswordDialogControl : int {
    kWelcomeHeading = 100,
    kWelcomeText,
    kFirstPasswordField,   // Edit1
    kSecondPasswordField,  // Edit2
};

class PasswordDialogWindow : public ModalDialog {
public:
    PasswordDialogWindow(TwPassword& logic, const HandlerDispatcher& dispatcher);

    // True when the dialog ended with OK.
    bool run();
    HWND field(int id) const { return control(id); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void pressOk();

    TwPassword& logic_;
    const HandlerDispatcher& dispatcher_;
    HeadingFont headingFont_{false};
};

}  // namespace zn::win32
