// The main program's modal dialogs, as a port: the Qt build shows real
// windows, tests fill the fields and press the buttons through the logic.
#pragma once

#include <optional>
#include <string>

namespace zn {

class TwPassword;
class TwAbout;
class TwAdd;
class TwOptions;

class AppDialogs {
public:
    virtual ~AppDialogs() = default;
    // True when the dialog ended with OK.
    virtual bool runPasswordDialog(TwPassword& dialog) = 0;
    virtual void runAboutBox(TwAbout& dialog) = 0;
    // The entry dialog, modal, with the caption and fields the logic set.
    virtual bool runEntryDialog(TwAdd& dialog) = 0;
    // The options dialog, modal; true when it ended with OK.
    virtual bool runOptionsDialog(TwOptions& dialog) = 0;
    // The file-open dialog for a program, starting at initialFile; nothing
    // when the user cancelled.
    virtual std::optional<std::string> chooseProgram(const std::string& initialFile) = 0;
};

}  // namespace zn
