// The main window's logic: start-up, first run, the lock and list panels,
// hiding and showing, unlocking, saving, closing and the end of the session.
// It owns the bookmark list, which is the only copy of the entries in memory.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/bookmark_list.h"
#include "app/dialogs.h"
#include "app/entry_dialog.h"
#include "app/handler_dispatcher.h"
#include "app/main_window_view.h"
#include "import/import_ports.h"
#include "platform/clipboard.h"
#include "platform/hotkeys.h"
#include "platform/keyboard_layout.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text_collation.h"
#include "platform/timers.h"
#include "platform/tray_icon.h"
#include "settings/options_dialog.h"
#include "settings/settings.h"
#include "vault/entry_store.h"
#include "vault/protected_vault.h"

namespace zn {

inline constexpr const char* kApplicationTitle = "Zintrel";
inline constexpr const char* kInvalidPasswordMessage = "You have entered an invalid password.";
inline constexpr const char* kImportOfferQuestion =
    "Please Note:  If you have existing bookmarks in Internet Explorer or Netscape, you can easily "
    "move them into Zintrel at any time by clicking on the IMPORT button.\r\rWould you like to "
    "import any existing Internet Explorer or Netscape bookmarks now?";
inline constexpr const char* kCloseQuestion =
    "If you close Zintrel you will not be able to use it again until you restart the "
    "program.  Are you sure that you want to close Zintrel?";

inline constexpr const char* kProtectQuestion =
    "Zintrel can now protect your bookmarks with strong encryption, so that a copy of its data "
    "gives away neither your master password nor your bookmarks. Older versions of Zintrel will "
    "not be able to open them afterwards.\r\rDo you want to protect your bookmarks now?";
// Set when the user keeps an old vault in its old format: the question is not asked again.
inline constexpr const char* kKeepOldFormatValue = "KeepOldFormat";

// The row a new vault starts with.
inline constexpr const char* kSampleSite = "https://halvorn.example/";
inline constexpr const char* kSampleDescription = "Halvorn";

inline constexpr int kLockPanelWidth = 185;
inline constexpr int kLockPanelHeight = 97;
inline constexpr int kListPanelWidth = 631;
inline constexpr int kListPanelHeight = 319;
inline constexpr int kStartDelayMs = 500;
inline constexpr int kFirstViewDelayMs = 1000;

// Everything outside the window that the main window reaches.
struct MainWindowServices {
    Registry& registry;
    MessageBoxes& messages;
    Timers& timers;
    const TextCollation& collation;
    Hotkeys& hotkeys;
    const KeyboardLayout& keyboard;
    TrayIcon& tray;
    AppDialogs& dialogs;
    Clipboard& clipboard;
    Shell& shell;
    std::string executablePath;          // the running program, for autostart
    std::vector<std::string> arguments;  // the command line, without the program
    // What a vault made or re-keyed in this run costs per unlock.
    std::uint32_t newVaultIterations = kNewVaultIterations;
};

class TForm1 {
public:
    TForm1(MainWindowServices services, MainWindowView& view);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Program start: arms the start timer, which runs initprogram.
    void FormCreate();
    // Runs once the start-up sequence has run, whether or not it failed.
    void setStartedHandler(std::function<void()> handler) { started_ = std::move(handler); }
    void initprogram();

    void ShowLockPanel();
    void ShowListPanel();
    void ShowWindow();
    void HideWindow();

    // The lock panel's OK and Cancel buttons, the list panel's "&Hide".
    void UnlockClick();
    void LockCancelClick() { HideWindow(); }
    void BitBtn3Click() { HideWindow(); }

    // The window became hidden, for whatever reason.
    void FormHide() { ShowLockPanel(); }
    // The application was minimised.
    void ApplicationMinimize();
    // A request to close the window: true when it may close.
    bool FormCloseQuery();
    // The session is ending: close without asking.
    void QueryEndSession() { endingSession_ = true; }
    // A global hotkey was pressed.
    void WMHotkey(int id);
    // What every hotkey but the toggle one runs: the page capture.
    void setCaptureAction(std::function<void()> action) { captureAction_ = std::move(action); }
    // The tray menu's "&Open" and "&Add Bookmark".
    void Activate1Click() { ShowWindow(); }
    void AddBookmark1Click() { WMHotkey(kCaptureHotkeyId); }

    // "&Options": opens the options dialog filled from the settings and
    // applies it on OK.
    void BitBtn6Click();

    // The list panel's operations (list_operations.cpp).
    void BitBtn1Click();       // "Add"
    void BitBtn7Click();       // "&Edit"
    void BitBtn2Click();       // "Remove"
    void ListView1DblClick();  // open the selected site
    void Copy1Click();
    void Paste1Click();
    void BitBtn8Click();  // "&Help"
    // A left click in the list: the only thing that updates Remove and Edit.
    void ListView1Click();
    // The list's context menu is about to open.
    void PopupMenu2Popup();

    // "&Import", on the list panel and in the list's context menu
    // (import/import_action.cpp), and the first-run offer of the about box.
    void setImportPorts(ImportPorts ports);
    void BitBtn10Click();
    void offerImport();

    // The context menu's items that depend on the selection; Add, Paste and
    // Import are always enabled.
    struct ListMenuState {
        bool open = false;
        bool edit = false;
        bool copy = false;
        bool remove = false;
    };
    bool removeEnabled() const { return removeEnabled_; }
    bool editEnabled() const { return editEnabled_; }
    const ListMenuState& listMenu() const { return listMenu_; }

    void saveAllEntries();
    void loadAllEntries();

    BookmarkList& list() { return list_; }
    const HandlerDispatcher& dispatcher() const { return dispatcher_; }
    const Settings& settings() const { return settings_; }
    TwOptions& options() { return wOptions_; }
    // The stored "Password" text: an old verifier or a protected vault's header.
    const std::string& verifier() const { return verifier_; }
    // What the entries are sealed with; null until the first run or an unlock.
    EntryKey* entryKey() const { return entryKey_.get(); }
    const std::string& installFolder() const { return installFolder_; }
    bool unlocked() const { return unlocked_; }
    bool listLoaded() const { return listLoaded_; }
    bool endingSession() const { return endingSession_; }

private:
    bool runFirstRunSetup();
    void readSettings();
    void centreWindowOn(int panelWidth, int panelHeight);
    bool startsHidden() const;
    void applyOptions(const std::string& oldActivateText, const std::string& oldFavoriteText,
                      std::unique_ptr<RegistryKey> runKey);
    void changePassword(const std::string& newPassword);
    void rewriteVault();
    void offerProtection(std::string_view password);
    void replaceVaultKey(ProtectedVault vault);

    MainWindowServices services_;
    MainWindowView& view_;
    HandlerDispatcher dispatcher_;
    BookmarkList list_;
    UnreadValues unread_;
    TwAdd wAdd_;          // made once, reused by Add, Edit and Paste
    TwOptions wOptions_;  // made once, at program start
    std::unique_ptr<RegistryKey> settingsKey_;
    Settings settings_;
    std::string verifier_;
    std::unique_ptr<EntryKey> entryKey_;  // kept while the list is loaded
    std::string installFolder_;
    bool listLoaded_ = false;
    bool unlocked_ = false;
    bool endingSession_ = false;
    bool minimiseHides_ = false;
    bool removeEnabled_ = false;
    bool editEnabled_ = false;
    ListMenuState listMenu_;
    std::function<void()> captureAction_;
    std::function<void()> started_;
    std::unique_ptr<ImportPorts> importPorts_;
};

}  // namespace zn
