#include "settings/win32/options_window.h"

#include <commdlg.h>

#include <array>

#include "app/main_window.h"
#include "platform/win32/win32_services.h"
#include "settings/win32/banner.h"

namespace zn::win32 {
namespace {

constexpr int kDialogWidth = 339;
constexpr int kDialogHeight = 458;
constexpr int kMargin = 12;
constexpr int kBodyWidth = kDialogWidth - 2 * kMargin;
constexpr int kFieldLeft = 160;
constexpr int kRowHeight = 22;
constexpr int kCheckBoxTop = 144;
constexpr int kCheckBoxPitch = 24;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

RECT at(int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
}

// The extended keys among those a shortcut can name: their scan codes are the
// number pad's, told apart only by this flag.
bool isExtendedKey(unsigned keyCode) {
    return (keyCode >= VK_PRIOR && keyCode <= VK_DOWN) || keyCode == VK_INSERT ||
           keyCode == VK_DELETE || keyCode == VK_DIVIDE;
}

}  // namespace

WORD hotkeyControlValue(ShortcutValue shortcut) {
    const unsigned keyCode = shortcut & kShortcutKeyMask;
    if (keyCode == 0) return 0;
    BYTE flags = 0;
    if (shortcut & kShortcutShift) flags |= HOTKEYF_SHIFT;
    if (shortcut & kShortcutCtrl) flags |= HOTKEYF_CONTROL;
    if (shortcut & kShortcutAlt) flags |= HOTKEYF_ALT;
    if (isExtendedKey(keyCode)) flags |= HOTKEYF_EXT;
    return MAKEWORD(keyCode, flags);
}

ShortcutValue shortcutFromHotkeyControl(WORD value) {
    const ShortcutValue keyCode = LOBYTE(value);
    if (keyCode == 0) return 0;
    const BYTE flags = HIBYTE(value);
    ShortcutValue shortcut = keyCode;
    if (flags & HOTKEYF_SHIFT) shortcut |= kShortcutShift;
    if (flags & HOTKEYF_CONTROL) shortcut |= kShortcutCtrl;
    if (flags & HOTKEYF_ALT) shortcut |= kShortcutAlt;
    return shortcut;
}

ShortcutValue keptHotkey(ShortcutValue shown, WORD controlValue) {
    if (controlValue == hotkeyControlValue(shown)) return shown;
    return acceptedHotkeyCombination(shortcutFromHotkeyControl(controlValue));
}

OptionsWindow::OptionsWindow(TwOptions& logic, const HandlerDispatcher& dispatcher, HWND owner)
    : logic_(logic), dispatcher_(dispatcher) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds = at(0, 0, kDialogWidth, kDialogHeight);
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    create("ZintrelOptions", "Options", style, exStyle,
           at(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top), owner);
    addControls();
}

OptionsWindow::~OptionsWindow() = default;

void OptionsWindow::addControls() {
    HWND heading = addControl("STATIC", "Zintrel Configuration", SS_LEFT,
                              at(kMargin, kBannerHeight + 8, kBodyWidth, 16), -1);
    LOGFONTA headingLook{};
    GetObjectA(dialogFont(), sizeof headingLook, &headingLook);
    headingLook.lfWeight = FW_BOLD;
    headingLook.lfUnderline = TRUE;
    headingFont_.reset(CreateFontIndirectA(&headingLook));
    SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_.get()), FALSE);

    const int keyRows[] = {88, 116};
    const char* keyLabels[] = {"Hot Key to Unhide:", "Hot Key to Add Bookmark:"};
    const int keyFields[] = {HotKey1, HotKey2};
    for (int row = 0; row < 2; ++row) {
        addControl("STATIC", keyLabels[row], SS_LEFT,
                   at(kMargin, keyRows[row] + 3, kFieldLeft - kMargin - 4, 16), -1);
        HWND field = addControl(
            HOTKEY_CLASSA, "", WS_TABSTOP,
            at(kFieldLeft, keyRows[row], kDialogWidth - kMargin - kFieldLeft, kRowHeight),
            keyFields[row], WS_EX_CLIENTEDGE);
        // The fields' rule: a key alone, or with Shift alone, takes Ctrl+Alt.
        SendMessageA(field, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                     MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    }

    addCheckBox(autostartBox, "Automatically start when Windows loads:", 0);
    addCheckBox(messagesBox, "Show confirmation when a bookmark is added", 1);
    addCheckBox(autoHideBox, "Automatically hide after opening bookmark", 2);
    addCheckBox(iconBox, "Show Icon on Windows Taskbar", 3);
    addCheckBox(keepPassBox, "Remember Password for current session ", 4);
    addCheckBox(showUserBox, "Show User Name/Password when opening site", 5);

    const int browserTop = kCheckBoxTop + 6 * kCheckBoxPitch + 6;
    addControl("STATIC", "Browser used to open bookmarks:", SS_LEFT,
               at(kMargin, browserTop, kBodyWidth, 16), -1);
    addControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
               at(kMargin, browserTop + 19, kBodyWidth - 36, kRowHeight), browserField,
               WS_EX_CLIENTEDGE);
    addControl("BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON,
               at(kDialogWidth - kMargin - 32, browserTop + 18, 32, 24), browseButton);
    addControl("BUTTON", "Change Password", WS_TABSTOP | BS_PUSHBUTTON,
               at(kMargin, browserTop + 52, 110, kButtonHeight), changePasswordButton);

    const int buttonsTop = kDialogHeight - 10 - kButtonHeight;
    const int cancelLeft = kDialogWidth - kMargin - kButtonWidth;
    addControl("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
               at(cancelLeft - 8 - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight),
               okButton);
    addControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON,
               at(cancelLeft, buttonsTop, kButtonWidth, kButtonHeight), cancelButton);
}

void OptionsWindow::addCheckBox(int id, const char* text, int top) {
    // The text stands to the left of its box, ending at it.
    addControl("BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT,
               at(kMargin, kCheckBoxTop + top * kCheckBoxPitch, kBodyWidth, 20), id);
}

bool OptionsWindow::checked(int id) const {
    return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionsWindow::setChecked(int id, bool checked) {
    SendMessageA(control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsWindow::setHotkey(int id, ShortcutValue shortcut) {
    SendMessageA(control(id), HKM_SETHOTKEY, hotkeyControlValue(shortcut), 0);
}

void OptionsWindow::showLogic() {
    shownHotKey1_ = logic_.HotKey1;
    shownHotKey2_ = logic_.HotKey2;
    setHotkey(HotKey1, logic_.HotKey1);
    setHotkey(HotKey2, logic_.HotKey2);
    setChecked(autostartBox, logic_.autostartBox);
    setChecked(messagesBox, logic_.messagesBox);
    setChecked(autoHideBox, logic_.autoHideBox);
    setChecked(iconBox, logic_.iconBox);
    setChecked(keepPassBox, logic_.keepPassBox);
    setChecked(showUserBox, logic_.showUserBox);
    setWindowText(control(browserField), logic_.browserField);
}

void OptionsWindow::keepControls() {
    const auto controlValue = [this](int id) {
        return static_cast<WORD>(SendMessageA(control(id), HKM_GETHOTKEY, 0, 0));
    };
    logic_.HotKey1 = keptHotkey(shownHotKey1_, controlValue(HotKey1));
    logic_.HotKey2 = keptHotkey(shownHotKey2_, controlValue(HotKey2));
    logic_.autostartBox = checked(autostartBox);
    logic_.messagesBox = checked(messagesBox);
    logic_.autoHideBox = checked(autoHideBox);
    logic_.iconBox = checked(iconBox);
    logic_.keepPassBox = checked(keepPassBox);
    logic_.showUserBox = checked(showUserBox);
    logic_.browserField = windowText(control(browserField));
}

bool OptionsWindow::run(HWND owner) {
    showLogic();
    endedWithOk_.reset();
    centreOnScreen(handle());
    ShowWindow(handle(), SW_SHOW);
    SetFocus(control(HotKey1));
    const bool ran = runModalLoop(handle(), owner, [this] { return endedWithOk_.has_value(); });
    keepControls();
    return ran && *endedWithOk_;
}

void OptionsWindow::command(int id) {
    switch (id) {
        case okButton:
            endedWithOk_ = true;
            break;
        case cancelButton:
            endedWithOk_ = false;
            break;
        case browseButton:
            logic_.browserField = windowText(control(browserField));
            dispatcher_.run([this] { logic_.BrowseClick(); });
            setWindowText(control(browserField), logic_.browserField);
            break;
        case changePasswordButton:
            dispatcher_.run([this] { logic_.ChangePasswordClick(); });
            break;
        default:
            break;
    }
}

LRESULT OptionsWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Buttons say BN_CLICKED; Enter and Esc arrive as the ids of OK and Cancel.
            if (HIWORD(wParam) == BN_CLICKED) command(LOWORD(wParam));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(okButton, DC_HASDEFID);
        case WM_CLOSE:
            endedWithOk_ = false;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(handle(), &paint);
            paintNarrowBanner(dc, 0, 0);
            EndPaint(handle(), &paint);
            return 0;
        }
        default:
            return Window::handleMessage(message, wParam, lParam);
    }
}

bool runOptionsWindow(TwOptions& dialog, const KeyboardLayout&, HWND owner) {
    Win32MessageBoxes messages(kApplicationTitle);
    const HandlerDispatcher dispatcher(messages);
    OptionsWindow window(dialog, dispatcher, owner);
    return window.run(owner);
}

std::optional<std::string> chooseProgramFile(const std::string& initialFile, HWND owner) {
    std::array<char, MAX_PATH> file{};
    lstrcpynA(file.data(), initialFile.c_str(), static_cast<int>(file.size()));
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = "Executable Files\0*.exe\0";
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrTitle = "Browser";
    // The program's current folder is not the dialog's to change.
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&request)) return std::nullopt;
    return std::string(file.data());
}

}  // namespace zn::win32
