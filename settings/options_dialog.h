// The options dialog's state and its own buttons: the controls' values, the
// browser detection that fills the browser field once per run, Browse, and
// Change Password with the new password it keeps pending until an OK.
// Opening the dialog and applying it belong to the main window (BitBtn6Click).
#pragma once

#include <optional>
#include <string>

#include "desktop/shortcut_text.h"
#include "platform/crypto.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"

namespace zn {

class AppDialogs;

inline constexpr const char* kWebPageCommandKeyPath = "\\htmlfile\\shell\\open\\Command";
inline constexpr const char* kPasswordAcceptedMessage =
    "New password successfully entered. Click the OK button on the options screen to activate "
    "new password.";

// Strips the quotes and arguments from a command line that opens web pages,
// leaving the program; an unquoted path keeps the one blank after ".EXE".
std::string tidyBrowserCommand(std::string command);

class TwOptions {
public:
    TwOptions(Registry& registry, AppDialogs& dialogs, MessageBoxes& messages)
        : registry_(registry), dialogs_(dialogs), messages_(messages) {}
    ~TwOptions() { crypto::wipe(pendingPassword_); }

    // The controls, top to bottom.
    ShortcutValue HotKey1 = 0;  // shows and hides the main window
    ShortcutValue HotKey2 = 0;  // adds the page the browser shows
    bool autostartBox = false;
    bool messagesBox = false;
    bool autoHideBox = false;
    bool iconBox = false;
    bool keepPassBox = false;
    bool showUserBox = false;
    std::string browserField;

    // Once, when the dialog is made: empties the pending password and fills
    // the browser field from DefBrowser or the system's web-page command.
    void FormCreate();
    // The browse button: a chosen program replaces the field's text.
    void BrowseClick();
    // "Change Password": asks for a new password; nothing is written yet.
    void ChangePasswordClick();

    // The new password as typed, until the main window has applied it.
    const std::string& pendingPassword() const { return pendingPassword_; }
    // Set by Change Password and never cleared during the run: every later
    // OK writes the vault under the new password once more.
    bool passwordPending() const { return passwordPending_; }
    // The new password now lives in the vault's key: its text is wiped.
    void pendingPasswordApplied() { crypto::wipe(pendingPassword_); }

private:
    Registry& registry_;
    AppDialogs& dialogs_;
    MessageBoxes& messages_;
    std::string pendingPassword_;
    bool passwordPending_ = false;
};

}  // namespace zn
