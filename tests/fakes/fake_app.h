// Fakes of the main program's own ports: its window and its dialogs. The
// dialogs fill their fields from a script and press OK or close the window
// through the dialog's logic, as the real views do.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/dialogs.h"
#include "app/entry_dialog.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "app/password_dialog.h"
#include "settings/options_dialog.h"

namespace zn::testing {

class FakeMainWindowView : public MainWindowView {
public:
    void attach(TForm1& form) { form_ = &form; }

    ScreenSize screenSize() const override { return screen; }
    void moveWindow(int newLeft, int newTop) override {
        left = newLeft;
        top = newTop;
    }
    void resizeWindow(int newWidth, int newHeight) override {
        width = newWidth;
        height = newHeight;
    }
    void setCaption(const std::string& text) override { caption = text; }
    void showPanel(Panel shown) override { panel = shown; }
    std::string passwordFieldText() const override { return passwordField; }
    void clearPasswordField() override { passwordField.clear(); }
    void focusPasswordField() override { passwordFocused = true; }
    bool isWindowVisible() const override { return visible; }
    void showWindow() override { visible = true; }
    void hideWindow() override {
        const bool wasVisible = visible;
        visible = false;
        if (wasVisible && form_) form_->FormHide();
    }
    void setMinimized(bool value) override { minimized = value; }
    void bringToFront() override { ++broughtToFront; }

    ScreenSize screen{1024, 768};
    int left = -1, top = -1, width = 0, height = 0;
    std::string caption;
    Panel panel = Panel::Lock;
    std::string passwordField;
    bool passwordFocused = false;
    bool visible = false;
    bool minimized = false;
    int broughtToFront = 0;

private:
    TForm1* form_ = nullptr;
};

// What the next password dialog does: its two fields and the button pressed.
struct PasswordDialogScript {
    std::string first;
    std::string second;
    bool pressOk = true;  // false: closed by the window manager
};

class FakeDialogs : public AppDialogs {
public:
    // Each script is one press of OK (or one close); the dialog stays open
    // and takes the next script while its logic refuses to close.
    void typePasswords(PasswordDialogScript script) {
        passwordScripts.push_back(std::move(script));
    }

    bool runPasswordDialog(TwPassword& dialog) override {
        ++passwordDialogs;
        while (!passwordScripts.empty()) {
            const auto script = passwordScripts.front();
            passwordScripts.pop_front();
            dialog.Edit1 = script.first;
            dialog.Edit2 = script.second;
            if (script.pressOk) {
                if (dialog.BitBtn1Click()) return true;
            } else if (dialog.FormCloseQuery()) {
                return false;
            }
        }
        return false;  // the script ran out: as if the user gave up
    }

    void runAboutBox(TwAbout& dialog) override {
        ++aboutBoxes;
        dialog.BitBtn1Click();
    }

    // What the next entry dialog does: the four fields it ends with (nullopt:
    // leave them as the logic filled them) and whether OK is pressed.
    struct EntryDialogScript {
        std::optional<BookmarkEntry> typed;
        bool pressOk = true;
        std::function<void()> whileOpen;  // e.g. a hotkey arriving meanwhile
    };
    void typeEntry(EntryDialogScript script) { entryScripts.push_back(std::move(script)); }

    bool runEntryDialog(TwAdd& dialog) override {
        shownEntryDialogs.push_back(dialog);  // as the dialog opened
        if (entryScripts.empty()) return false;
        auto script = std::move(entryScripts.front());
        entryScripts.pop_front();
        if (script.whileOpen) script.whileOpen();
        if (script.typed) {
            dialog.Edit1 = script.typed->site;
            dialog.Edit2 = script.typed->description;
            dialog.Edit3 = script.typed->userName;
            dialog.Edit4 = script.typed->password;
        }
        return script.pressOk;
    }

    // What the next options dialog does: changes its controls (and may press
    // its own buttons) and ends with OK or not.
    struct OptionsDialogScript {
        std::function<void(TwOptions&)> change;
        bool pressOk = true;
    };
    void useOptions(OptionsDialogScript script) { optionsScripts.push_back(std::move(script)); }

    bool runOptionsDialog(TwOptions& dialog) override {
        shownOptions.push_back(dialog);  // the controls as the dialog opened
        if (optionsScripts.empty()) return false;
        auto script = std::move(optionsScripts.front());
        optionsScripts.pop_front();
        if (script.change) script.change(dialog);
        return script.pressOk;
    }

    std::optional<std::string> chooseProgram(const std::string& initialFile) override {
        chooseProgramStartedAt.push_back(initialFile);
        return chosenProgram;
    }

    std::deque<OptionsDialogScript> optionsScripts;
    std::vector<TwOptions> shownOptions;
    std::optional<std::string> chosenProgram;
    std::vector<std::string> chooseProgramStartedAt;
    std::deque<EntryDialogScript> entryScripts;
    std::vector<TwAdd> shownEntryDialogs;
    std::deque<PasswordDialogScript> passwordScripts;
    int passwordDialogs = 0;
    int aboutBoxes = 0;
};

}  // namespace zn::testing
