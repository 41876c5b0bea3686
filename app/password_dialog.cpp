#include "app/password_dialog.h"

namespace zn {

bool TwPassword::BitBtn1Click() {
    mayClose_ = true;
    if (Edit1 != Edit2) {
        messages_.show(MessageKind::Error,
                       "The passwords that you entered do not match.  Please try again.",
                       MessageButtons::Ok);
        mayClose_ = false;
    } else if (Edit1.size() < kMinimumPasswordLength) {
        messages_.show(
            MessageKind::Error,
            "The passwords that you entered must be atleast 5 characters.  Please try again.",
            MessageButtons::Ok);
        mayClose_ = false;
    }
    return mayClose_;
}

}  // namespace zn
