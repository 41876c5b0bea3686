// The main program's modal dialogs, as a port: the Qt build shows real
// windows, tests fill the fields and press the buttons through the logic.
#pragma once

namespace zn {

class TwPassword;
class TwAbout;
class TwAdd;

class AppDialogs {
public:
    virtual ~AppDialogs() = default;
    // True when the dialog ended with OK.
    virtual bool runPasswordDialog(TwPassword& dialog) = 0;
    virtual void runAboutBox(TwAbout& dialog) = 0;
    // The entry dialog, modal, with the caption and fields the logic set.
    virtual bool runEntryDialog(TwAdd& dialog) = 0;
};

}  // namespace zn
