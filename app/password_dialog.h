// The set-password dialog: asks for the master password twice. Used at first
// run and by Change Password in the options.
#pragma once

#include <string>

#include "platform/crypto.h"
#include "platform/message_boxes.h"

namespace zn {

inline constexpr std::size_t kMinimumPasswordLength = 5;

// At first run the vault has no password yet, and a run without one would
// leave a lock panel that nothing opens: that dialog ends only with OK.
enum class PasswordDialogUse { FirstRun, ChangePassword };

class TwPassword {
public:
    explicit TwPassword(MessageBoxes& messages,
                        PasswordDialogUse use = PasswordDialogUse::ChangePassword)
        : messages_(messages), use_(use) {}
    ~TwPassword() {
        crypto::wipe(Edit1);
        crypto::wipe(Edit2);
    }
    TwPassword(const TwPassword&) = delete;
    TwPassword& operator=(const TwPassword&) = delete;

    // The two password fields, as the view shows them.
    std::string Edit1;
    std::string Edit2;

    // OK: true when the dialog may close with OK.
    bool BitBtn1Click();
    // Any other request to close (the window manager's): granted only while
    // the last OK did not refuse, and never at first run; the dialog then
    // ends without OK. There is no Cancel button, so Esc is no such request.
    bool FormCloseQuery() const { return mayClose_ && use_ != PasswordDialogUse::FirstRun; }

    const std::string& typedPassword() const { return Edit1; }

private:
    MessageBoxes& messages_;
    PasswordDialogUse use_;
    bool mayClose_ = true;
};

}  // namespace zn
