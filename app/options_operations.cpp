// The main window's side of the options dialog: filling it from the
// settings, and applying it in a fixed order on OK. A write that fails ends
// the apply there; what was written before it stays.
#include "app/main_window.h"
#include "desktop/shortcut_text.h"

namespace zn {

void TForm1::BitBtn6Click() {
    if (!settingsKey_) return;
    auto runKey = services_.registry.openKey(RegRoot::CurrentUser, kRunKeyPath, false);
    TwOptions& dialog = wOptions_;
    dialog.autostartBox = runKey && !runKey->readString(kAutostartValue).empty();

    const RegistryKey& key = *settingsKey_;
    dialog.messagesBox = readFlag(key, kMessagesValue, true);
    const std::string oldActivateText =
        readShortcutText(key, kActivateKeyValue, kDefaultActivateKey);
    const std::string oldFavoriteText =
        readShortcutText(key, kFavoriteKeyValue, kDefaultFavoriteKey);
    dialog.iconBox = services_.tray.isEnabled();
    dialog.keepPassBox = settings_.keepPass;
    dialog.showUserBox = settings_.showUser;
    dialog.HotKey1 = TextToShortCut(oldActivateText, services_.keyboard);
    dialog.HotKey2 = TextToShortCut(oldFavoriteText, services_.keyboard);
    dialog.autoHideBox = settings_.autoHide;
    // An empty DefBrowser leaves the field as it was: detected, or as last closed.
    if (!settings_.defBrowser.empty()) dialog.browserField = settings_.defBrowser;

    if (!services_.dialogs.runOptionsDialog(dialog)) return;
    settings_.defBrowser = dialog.browserField;
    applyOptions(oldActivateText, oldFavoriteText, std::move(runKey));
}

void TForm1::applyOptions(const std::string& oldActivateText, const std::string& oldFavoriteText,
                          std::unique_ptr<RegistryKey> runKey) {
    const TwOptions& dialog = wOptions_;
    if (dialog.autostartBox) {
        // The Run key may not exist yet: the value must still land in it.
        if (!runKey) runKey = services_.registry.openKey(RegRoot::CurrentUser, kRunKeyPath, true);
        runKey->writeString(kAutostartValue, autostartCommand(services_.executablePath));
    } else if (runKey) {
        runKey->deleteValue(kAutostartValue);
    }

    const std::string activateText = ShortCutToText(dialog.HotKey1, services_.keyboard);
    const std::string favoriteText = ShortCutToText(dialog.HotKey2, services_.keyboard);
    // Only a text that really changed is registered again.
    if (activateText != oldActivateText) {
        services_.hotkeys.unregisterHotkey(kToggleHotkeyId);
        registerHotkey(services_.hotkeys, kToggleHotkeyId, dialog.HotKey1);
    }
    if (favoriteText != oldFavoriteText) {
        services_.hotkeys.unregisterHotkey(kCaptureHotkeyId);
        registerHotkey(services_.hotkeys, kCaptureHotkeyId, dialog.HotKey2);
    }

    if (dialog.passwordPending()) {
        if (!dialog.pendingPassword().empty()) {
            changePassword(dialog.pendingPassword());
            wOptions_.pendingPasswordApplied();
        } else {
            // Applied before: the same header and every entry are written again.
            rewriteVault();
        }
    }

    RegistryKey& key = *settingsKey_;
    key.writeString(kActivateKeyValue, activateText);
    key.writeString(kFavoriteKeyValue, favoriteText);
    settings_.defBrowser = dialog.browserField;
    key.writeString(kDefBrowserValue, settings_.defBrowser);
    writeFlag(key, kMessagesValue, dialog.messagesBox);
    writeFlag(key, kAutoHideValue, dialog.autoHideBox);
    writeFlag(key, kIconValue, dialog.iconBox);
    writeFlag(key, kKeepPassValue, dialog.keepPassBox);
    writeFlag(key, kShowUserValue, dialog.showUserBox);

    settings_.messages = dialog.messagesBox;
    settings_.autoHide = dialog.autoHideBox;
    // A refused icon is reported, but the settings after it still take effect.
    try {
        services_.tray.setEnabled(dialog.iconBox);
    } catch (...) {
        settings_.keepPass = dialog.keepPassBox;
        settings_.showUser = dialog.showUserBox;
        throw;
    }
    settings_.keepPass = dialog.keepPassBox;
    settings_.showUser = dialog.showUserBox;
}

}  // namespace zn
