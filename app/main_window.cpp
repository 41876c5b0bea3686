#include "app/main_window.h"

#include <algorithm>
#include <cctype>

#include "app/about_box.h"
#include "app/password_dialog.h"
#include "desktop/shortcut_text.h"
#include "vault/entry_cipher.h"

namespace zn {

TForm1::TForm1(MainWindowServices services, MainWindowView& view)
    : services_(std::move(services)),
      view_(view),
      dispatcher_(services_.messages),
      list_(services_.collation),
      wOptions_(services_.registry, services_.dialogs, services_.messages) {}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    dispatcher_.run([this] { wOptions_.FormCreate(); });
    services_.timers.startOneShot(kStartDelayMs, [this] {
        dispatcher_.run([this] { initprogram(); });
        if (started_) started_();
    });
}

void TForm1::initprogram() {
    unlocked_ = false;
    endingSession_ = false;
    listLoaded_ = false;
    bool firstRun = false;

    if (const auto vaultKey =
            services_.registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, false)) {
        verifier_ = vaultKey->readString(kPasswordValue);
        installFolder_ = vaultKey->readString(kInstallDirValue);
    }
    if (verifier_.empty()) firstRun = runFirstRunSetup();

    minimiseHides_ = true;
    settingsKey_ = services_.registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, true);
    readSettings();
    saveAllEntries();

    if (startsHidden()) {
        view_.setMinimized(true);
    } else if (firstRun) {
        services_.timers.startOneShot(kFirstViewDelayMs,
                                      [this] { dispatcher_.run([this] { ShowListPanel(); }); });
    } else {
        services_.timers.startOneShot(kFirstViewDelayMs,
                                      [this] { dispatcher_.run([this] { ShowWindow(); }); });
    }
}

bool TForm1::runFirstRunSetup() {
    TwPassword passwordDialog(services_.messages, PasswordDialogUse::FirstRun);
    if (!services_.dialogs.runPasswordDialog(passwordDialog)) return false;

    // A write that fails here is not reported: the next start simply asks again.
    auto vault = protectVault(passwordDialog.typedPassword(), services_.newVaultIterations);
    verifier_ = std::move(vault.headerText);
    entryKey_ = std::move(vault.key);
    try {
        services_.registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, true)
            ->writeString(kPasswordValue, verifier_);
    } catch (const RegistryError&) {
    }
    list_.add(BookmarkEntry{kSampleSite, kSampleDescription, "", ""});

    TwAbout aboutBox([this] { offerImport(); });
    services_.dialogs.runAboutBox(aboutBox);

    try {
        services_.registry.openKey(RegRoot::CurrentUser, kRunKeyPath, true)
            ->writeString(kAutostartValue, autostartCommand(services_.executablePath));
    } catch (const RegistryError&) {
    }
    listLoaded_ = true;
    return true;
}

void TForm1::readSettings() {
    RegistryKey& key = *settingsKey_;
    settings_.messages = readFlag(key, kMessagesValue, true);
    registerHotkey(services_.hotkeys, kToggleHotkeyId,
                   TextToShortCut(readShortcutText(key, kActivateKeyValue, kDefaultActivateKey),
                                  services_.keyboard));
    settings_.defBrowser = key.readString(kDefBrowserValue);
    registerHotkey(services_.hotkeys, kCaptureHotkeyId,
                   TextToShortCut(readShortcutText(key, kFavoriteKeyValue, kDefaultFavoriteKey),
                                  services_.keyboard));
    settings_.autoHide = readFlag(key, kAutoHideValue, false);
    // A desktop that refuses the icon at start-up leaves it off until its
    // notification area appears: at logon the task bar may come after us.
    try {
        services_.tray.setEnabled(readFlag(key, kIconValue, false));
    } catch (const std::exception&) {
        services_.tray.switchOffUntilTheShellArrives();
    }
    settings_.keepPass = readFlag(key, kKeepPassValue, true);
    settings_.showUser = readFlag(key, kShowUserValue, true);
}

bool TForm1::startsHidden() const {
    if (services_.arguments.empty()) return false;
    std::string first = services_.arguments.front();
    std::transform(first.begin(), first.end(), first.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return first == "/S";
}

void TForm1::centreWindowOn(int panelWidth, int panelHeight) {
    const ScreenSize screen = view_.screenSize();
    view_.moveWindow(screen.width / 2 - panelWidth / 2, screen.height / 2 - panelHeight / 2);
}

void TForm1::ShowLockPanel() {
    if (settings_.keepPass && unlocked_) return;
    centreWindowOn(kLockPanelWidth, kLockPanelHeight);
    view_.clearPasswordField();
    view_.showPanel(Panel::Lock);
    view_.setCaption("Enter Password");
    view_.resizeWindow(kLockPanelWidth + 12, kLockPanelHeight + 32);
    view_.focusPasswordField();
    view_.setMinimized(false);
    view_.bringToFront();
}

void TForm1::ShowListPanel() {
    centreWindowOn(kListPanelWidth, kListPanelHeight);
    view_.showPanel(Panel::List);
    view_.setCaption(kApplicationTitle);
    view_.resizeWindow(kListPanelWidth + 15, kListPanelHeight + 32);
    view_.showWindow();
    view_.bringToFront();
}

void TForm1::ShowWindow() {
    view_.showWindow();
    view_.setMinimized(false);
    ShowLockPanel();
}

void TForm1::HideWindow() {
    view_.hideWindow();
}

void TForm1::UnlockClick() {
    const crypto::SecretBytes typed(view_.passwordFieldText());
    auto key = unlockAnyVault(verifier_, typed.view());
    if (!key) {
        services_.messages.show(MessageKind::Error, kInvalidPasswordMessage, MessageButtons::Ok);
        return;
    }
    const bool firstUnlock = !unlocked_;
    entryKey_ = std::move(key);
    if (!listLoaded_) loadAllEntries();
    // The password is of no more use: the field is emptied before it is shown again anyway.
    view_.clearPasswordField();
    ShowListPanel();
    unlocked_ = true;
    if (firstUnlock) offerProtection(typed.view());
}

void TForm1::offerProtection(std::string_view password) {
    if (entryKey_->isProtected() || !listLoaded_ || !settingsKey_) return;
    if (readFlag(*settingsKey_, kKeepOldFormatValue, false)) return;
    if (services_.messages.show(MessageKind::Confirm, kProtectQuestion, MessageButtons::YesNo) !=
        MessageAnswer::Yes) {
        writeFlag(*settingsKey_, kKeepOldFormatValue, true);
        return;
    }
    replaceVaultKey(protectVault(password, services_.newVaultIterations));
}

void TForm1::ApplicationMinimize() {
    if (minimiseHides_) HideWindow();
}

bool TForm1::FormCloseQuery() {
    try {
        saveAllEntries();
    } catch (const std::exception&) {
        // The session will not wait for an answer; every change was saved when it was made.
        if (!endingSession_) throw;
    }
    if (endingSession_) return true;
    return services_.messages.show(MessageKind::Confirm, kCloseQuestion, MessageButtons::YesNo) ==
           MessageAnswer::Yes;
}

void TForm1::WMHotkey(int id) {
    if (id == kToggleHotkeyId) {
        if (view_.isWindowVisible())
            HideWindow();
        else
            ShowWindow();
    } else if (captureAction_) {
        captureAction_();
    }
}

void TForm1::saveAllEntries() {
    if (!listLoaded_ || !entryKey_) return;
    zn::saveAllEntries(services_.registry, *entryKey_, list_.entries(), unread_);
}

void TForm1::changePassword(const std::string& newPassword) {
    if (entryKey_->isProtected()) {
        replaceVaultKey(protectVault(newPassword, services_.newVaultIterations));
        return;
    }
    // An old vault its user chose to keep stays in its format.
    std::string newVerifier = MakeVerifier(newPassword);
    LegacyEntryKey newKey(newVerifier);
    UnreadValues unread = reencipheredUnread(unread_, *entryKey_, newKey);
    const auto batch = services_.registry.beginBatch();
    settingsKey_->writeString(kPasswordValue, newVerifier);
    writeAllEntries(services_.registry, newKey, list_.entries(), unread);
    batch->commit();
    entryKey_ = std::make_unique<LegacyEntryKey>(newVerifier);
    verifier_ = std::move(newVerifier);
    unread_ = std::move(unread);
}

void TForm1::rewriteVault() {
    const auto batch = services_.registry.beginBatch();
    settingsKey_->writeString(kPasswordValue, verifier_);
    writeAllEntries(services_.registry, *entryKey_, list_.entries(), unread_);
    batch->commit();
}

void TForm1::replaceVaultKey(ProtectedVault vault) {
    UnreadValues unread = reencipheredUnread(unread_, *entryKey_, *vault.key);
    // The header and the entries sealed under its key land together, so the
    // store never holds a password that cannot read its own entries.
    const auto batch = services_.registry.beginBatch();
    settingsKey_->writeString(kPasswordValue, vault.headerText);
    writeAllEntries(services_.registry, *vault.key, list_.entries(), unread);
    batch->commit();
    verifier_ = std::move(vault.headerText);
    entryKey_ = std::move(vault.key);
    unread_ = std::move(unread);
}

void TForm1::loadAllEntries() {
    listLoaded_ = true;
    LoadedEntries loaded;
    try {
        loaded = zn::loadAllEntries(services_.registry, *entryKey_);
    } catch (...) {
        // A list that was never read must never be saved over the stored one.
        listLoaded_ = false;
        throw;
    }
    list_.assign(std::move(loaded.entries));
    unread_ = std::move(loaded.unread);
    if (loaded.stoppedAtInvalidValue)
        services_.messages.show(MessageKind::Error, kInvalidPasswordMessage, MessageButtons::Ok);
}

}  // namespace zn
