#include "settings/options_dialog.h"

#include <algorithm>
#include <cctype>

#include "app/dialogs.h"
#include "app/password_dialog.h"
#include "settings/settings.h"
#include "vault/entry_store.h"

namespace zn {
namespace {

void dropLastQuote(std::string& text) {
    if (!text.empty() && text.back() == '"') text.pop_back();
}

void dropFirstQuote(std::string& text) {
    if (!text.empty() && text.front() == '"') text.erase(0, 1);
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string tidyBrowserCommand(std::string command) {
    dropLastQuote(command);
    dropFirstQuote(command);
    if (command.empty()) return command;
    const auto position = upperCased(command).find(".EXE");
    if (position != std::string::npos) {
        // Keep the name up to ".EXE" and the one character after it.
        command.resize(std::min(command.size(), position + 5));
        dropFirstQuote(command);
        dropLastQuote(command);
    }
    return command;
}

void TwOptions::FormCreate() {
    crypto::wipe(pendingPassword_);
    passwordPending_ = false;
    if (!browserField.empty()) return;
    {
        const auto vaultKey = registry_.openKey(RegRoot::CurrentUser, kVaultKeyPath, true);
        const std::string stored =
            vaultKey ? vaultKey->readString(kDefBrowserValue) : std::string();
        if (!stored.empty()) {
            browserField = stored;
            return;
        }
    }
    // A standard user may not make this key where the system keeps it; one
    // that cannot be made is missing, and a missing setting is never an error.
    std::unique_ptr<RegistryKey> commandKey;
    try {
        commandKey = registry_.openKey(RegRoot::ClassesRoot, kWebPageCommandKeyPath, true);
    } catch (const RegistryError&) {
    }
    if (commandKey) browserField = tidyBrowserCommand(commandKey->readDefault());
}

void TwOptions::BrowseClick() {
    if (auto chosen = dialogs_.chooseProgram(browserField)) browserField = *chosen;
}

void TwOptions::ChangePasswordClick() {
    TwPassword passwordDialog(messages_);
    if (!dialogs_.runPasswordDialog(passwordDialog)) return;
    pendingPassword_ = passwordDialog.typedPassword();
    passwordPending_ = true;
    messages_.show(MessageKind::Information, kPasswordAcceptedMessage, MessageButtons::Ok);
}

}  // namespace zn
