// The main program's dialogs as Qt windows.
#pragma once

#include <QWidget>
#include <memory>

#include "app/dialogs.h"
#include "app/handler_dispatcher.h"
#include "app/qt/entry_dialog_view.h"
#include "platform/keyboard_layout.h"

namespace zn {

class QtAppDialogs : public AppDialogs {
public:
    QtAppDialogs(MessageBoxes& messages, const KeyboardLayout& keyboard)
        : dispatcher_(messages), keyboard_(keyboard) {}

    bool runPasswordDialog(TwPassword& dialog) override;
    void runAboutBox(TwAbout& dialog) override;
    bool runEntryDialog(TwAdd& dialog) override;
    bool runOptionsDialog(TwOptions& dialog) override;
    std::optional<std::string> chooseProgram(const std::string& initialFile) override;

private:
    HandlerDispatcher dispatcher_;
    const KeyboardLayout& keyboard_;
    // The entry dialog is made at its first use and kept for the run, as the
    // logic's TwAdd is.
    std::unique_ptr<EntryDialogView> entryDialog_;
};

}  // namespace zn
