// The options dialog's native window. It shows TwOptions' controls, forwards
// Browse and Change Password to it, and copies the controls back when it
// closes: the browser field keeps what it showed even after Cancel. The
// hotkey fields are the system's hotkey controls.
#pragma once

// The system headers need windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "app/handler_dispatcher.h"
#include "desktop/shortcut_text.h"
#include "platform/keyboard_layout.h"
#include "platform/win32/win32_window.h"
#include "settings/options_dialog.h"

namespace zn::win32 {

// The hotkey control's value: the key code in the low byte, its HOTKEYF_
// modifier flags in the high byte. Navigation keys carry the extended flag,
// or the control would name them after the number pad's keys.
WORD hotkeyControlValue(ShortcutValue shortcut);
// The shortcut a control value stands for; the extended flag is dropped.
ShortcutValue shortcutFromHotkeyControl(WORD value);
// What a hotkey field hands back: the shortcut it was given while the user
// left it alone, else what the user typed under the fields' rule (no
// modifier, or Shift alone, becomes Ctrl+Alt).
ShortcutValue keptHotkey(ShortcutValue shown, WORD controlValue);

class OptionsWindow : public Window {
public:
    // The controls' ids; OK and Cancel are the dialog ids Enter and Esc press.
    enum ControlId : int {
        HotKey1 = 101,
        HotKey2,
        autostartBox,
        messagesBox,
        autoHideBox,
        iconBox,
        keepPassBox,
        showUserBox,
        browserField,
        browseButton,
        changePasswordButton,
        okButton = IDOK,
        cancelButton = IDCANCEL,
    };

    OptionsWindow(TwOptions& logic, const HandlerDispatcher& dispatcher, HWND owner);
    ~OptionsWindow() override;

    // Fills the controls from the logic, runs modally with owner disabled,
    // copies them back. True when it ended with OK.
    bool run(HWND owner);

    HWND item(int id) const { return control(id); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct FontDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
    };
    using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    void addControls();
    void addCheckBox(int id, const char* text, int top);
    void command(int id);
    void showLogic();
    void keepControls();
    bool checked(int id) const;
    void setChecked(int id, bool checked);
    void setHotkey(int id, ShortcutValue shortcut);

    TwOptions& logic_;
    const HandlerDispatcher& dispatcher_;
    OwnedFont headingFont_;
    ShortcutValue shownHotKey1_ = 0;
    ShortcutValue shownHotKey2_ = 0;
    std::optional<bool> endedWithOk_;
};

// The options dialog as the main program shows it: modal over owner, its
// handlers' failures shown in the application's error box. The hotkey
// controls name the keys themselves, so keyboard is not consulted; it stays
// for the same call as the other builds' dialog.
bool runOptionsWindow(TwOptions& dialog, const KeyboardLayout& keyboard, HWND owner);

// The file-open dialog for choosing a browser program ("Executable Files",
// *.exe), starting at initialFile; nothing when the user cancelled.
std::optional<std::string> chooseProgramFile(const std::string& initialFile, HWND owner);

}  // namespace zn::win32
