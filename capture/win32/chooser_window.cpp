#include "capture/win32/chooser_window.h"

#include <commctrl.h>

namespace zn::win32 {
using namespace chooser_layout;

namespace {

constexpr const char* kClassName = "ZintrelTwBoth";
constexpr int kLabelId = 100;

// "&" in an address is text, not the mark of a keyboard shortcut.
std::string withoutShortcutMarks(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        shown += c;
        if (c == '&') shown += '&';
    }
    return shown;
}

}  // namespace

ChooserWindow::ChooserWindow(HWND owner) : owner_(owner) {
    create(kClassName, kChooserCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
           WS_EX_DLGMODALFRAME, RECT{0, 0, kWindowWidth, kWindowHeight}, owner);
    addControl("STATIC", std::string(kChooserFirstLine) + "\r\n" + kChooserSecondLine,
               SS_CENTER | SS_NOPREFIX, RECT{0, kLabelTop, kClientWidth, kLabelTop + kLabelHeight},
               kLabelId);
    for (int source = 0; source < 3; ++source)
        addControl(
            "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP,
            RECT{kBoxLeft, kBoxTops[source], kBoxLeft + kBoxWidth, kBoxTops[source] + kBoxHeight},
            kFirstBoxId + source);
    const int okLeft = kClientWidth / 2 - kButtonWidth - 6;
    addControl("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
               RECT{okLeft, kButtonTop, okLeft + kButtonWidth, kButtonTop + kButtonHeight}, IDOK);
    const int cancelLeft = kClientWidth / 2 + 6;
    addControl("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP,
               RECT{cancelLeft, kButtonTop, cancelLeft + kButtonWidth, kButtonTop + kButtonHeight},
               IDCANCEL);

    // A long address is cut by its box; the whole of it shows as the box's tip.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    for (std::size_t source = 0; source < 3; ++source) {
        TOOLINFOA tool{};
        // The size the controls understand without a version 6 manifest too.
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = handle();
        tool.uId = reinterpret_cast<UINT_PTR>(box(source));
        tool.lpszText = const_cast<char*>("");
        SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // The tip of a long address wraps instead of running off the screen.
    SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, kClientWidth);
}

bool ChooserWindow::run(TwBoth& dialog) {
    HWND firstShown = nullptr;
    for (std::size_t source = 0; source < 3; ++source) {
        const ChooserBox& shown = dialog.box(source);
        HWND box = this->box(source);
        setWindowText(box, withoutShortcutMarks(shown.caption));
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = handle();
        tool.uId = reinterpret_cast<UINT_PTR>(box);
        tool.lpszText = const_cast<char*>(shown.caption.c_str());
        SendMessageA(tips_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(box, BM_SETCHECK, shown.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        ShowWindow(box, shown.visible ? SW_SHOWNA : SW_HIDE);
        if (shown.visible && !firstShown) firstShown = box;
    }

    result_ = Result::Open;
    centreOnScreen(handle());
    ShowWindow(handle(), SW_SHOW);
    // The user is in a browser when the chooser opens: it must come up on top.
    SetForegroundWindow(handle());
    SetFocus(firstShown ? firstShown : control(IDOK));
    runModalLoop(handle(), owner_, [this] { return result_ != Result::Open; });
    if (result_ != Result::Ok) return false;
    for (std::size_t source = 0; source < 3; ++source)
        dialog.box(source).checked = SendMessageA(box(source), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return true;
}

LRESULT ChooserWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Enter and Esc come here as IDOK and IDCANCEL too.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                result_ = LOWORD(wParam) == IDOK ? Result::Ok : Result::Cancel;
                return 0;
            }
            break;
        case WM_CLOSE:
            result_ = Result::Cancel;
            return 0;
    }
    return Window::handleMessage(message, wParam, lParam);
}

}  // namespace zn::win32
