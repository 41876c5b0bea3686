// The set-password dialog: asks for the master password twice. Used at first
// run and by Change Password in the options.
#pragma once

#include <string>

#include "platform/message_boxes.h"

namespace zn {

inline constexpr std::size_t kMinimumPasswordLength = 5;

class TwPassword {
public:
    explicit TwPassword(MessageBoxes& messages) : messages_(messages) {}

    // The two password fields, as the view shows them.
    std::string Edit1;
    std::string Edit2;

    // OK: true when the dialog may close with OK.
    bool BitBtn1Click();
    // Any other request to close (Esc, the window manager): granted only
    // while the last OK did not refuse; the dialog then ends without OK.
    bool FormCloseQuery() const { return mayClose_; }

    const std::string& typedPassword() const { return Edit1; }

private:
    MessageBoxes& messages_;
    bool mayClose_ = true;
};

}  // namespace zn
