// Fakes of the main program's own ports: its window and its dialogs. The
// dialogs fill their fields from a script and press OK or close the window
// through the dialog's logic, as the real views do.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/main_window_view.h"
#include "app/password_dialog.h"

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
    bool pressOk = true;  // false: closed by Esc or the window manager
};

class FakeDialogs : public AppDialogs {
public:
    // Each script is one press of OK (or one close); the dialog stays open
    // and takes the next script while its logic refuses to close.
    void typePasswords(PasswordDialogScript script) { passwordScripts.push_back(std::move(script)); }

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

    std::deque<PasswordDialogScript> passwordScripts;
    int passwordDialogs = 0;
    int aboutBoxes = 0;
};

}  // namespace zn::testing
