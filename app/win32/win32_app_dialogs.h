// The main program's dialogs as native windows.
#pragma once

#include <functional>
#include <memory>

#include "app/dialogs.h"
#include "app/handler_dispatcher.h"
#include "app/win32/entry_dialog_window.h"

namespace zn::win32 {

class Win32AppDialogs : public AppDialogs {
public:
    // The options window is its own area's; the program hands it in.
    using OptionsRunner = std::function<bool(TwOptions&)>;
    Win32AppDialogs(MessageBoxes& messages, OptionsRunner runOptions)
        : dispatcher_(messages), runOptions_(std::move(runOptions)) {}

    bool runPasswordDialog(TwPassword& dialog) override;
    void runAboutBox(TwAbout& dialog) override;
    bool runEntryDialog(TwAdd& dialog) override;
    bool runOptionsDialog(TwOptions& dialog) override;
    std::optional<std::string> chooseProgram(const std::string& initialFile) override;

private:
    HandlerDispatcher dispatcher_;
    OptionsRunner runOptions_;
    // Made at its first use and kept for the run, as the logic's TwAdd is.
    std::unique_ptr<EntryDialogWindow> entryDialog_;
};

}  // namespace zn::win32
