#include "app/win32/main_window_frame.h"

#include <windowsx.h>

#include <utility>

namespace zn::win32 {
namespace {

constexpr int kBannerHeight = 58;
constexpr int kBottomBarHeight = 52;
// Posted when the window was hidden: the lock panel comes back once the
// hiding is over, not in the middle of it.
constexpr UINT kFormHideMessage = WM_APP + 1;

struct ListButton {
    int id;
    const char* caption;
    const char* hint;
    void (TForm1::*handler)();
};

const ListButton kListButtons[] = {
    {kAddButton, "Add", "Click here to manually add a bookmark", &TForm1::BitBtn1Click},
    {kRemoveButton, "Remove", "Click here to remove site from bookmarks", &TForm1::BitBtn2Click},
    {kHideButton, "&Hide", "Click here to hide Zintrel", &TForm1::BitBtn3Click},
    {kOptionsButton, "&Options", "Click here to change options", &TForm1::BitBtn6Click},
    {kEditButton, "&Edit", "Click here to edit the selected site.", &TForm1::BitBtn7Click},
    {kHelpButton, "&Help", "Click here for help", &TForm1::BitBtn8Click},
    {kImportButton, "&Import",
     "Click to import existing bookmarks from Internet Explorer or Netscape",
     &TForm1::BitBtn10Click},
};

struct ListMenuItem {
    int id;  // 0: a separator
    const char* caption;
    void (TForm1::*handler)();
};

const ListMenuItem kListMenuItems[] = {
    {kOpenItem, "&Open", &TForm1::ListView1DblClick},
    {0, nullptr, nullptr},
    {kAddItem, "&Add", &TForm1::BitBtn1Click},
    {kEditItem, "&Edit", &TForm1::BitBtn7Click},
    {kRemoveItem, "&Remove", &TForm1::BitBtn2Click},
    {0, nullptr, nullptr},
    {kCopyItem, "&Copy", &TForm1::Copy1Click},
    {kPasteItem, "&Paste", &TForm1::Paste1Click},
    {0, nullptr, nullptr},
    {kImportItem, "&Import", &TForm1::BitBtn10Click},
};

void place(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

MainWindowFrame::MainWindowFrame() {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    // Not resizable: the logic gives the window its size for each panel.
    create("ZintrelMainWindow", kApplicationTitle,
           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
           WS_EX_CONTROLPARENT, RECT{0, 0, kLockPanelWidth + 12, kLockPanelHeight + 32}, nullptr);
    banner_.reset(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "BANNER", IMAGE_BITMAP, 0, 0, 0)));
    buildLockPanel();
    buildListPanel();
    buildListMenu();
    addHints();
    showPanel(Panel::Lock);
}

MainWindowFrame::~MainWindowFrame() {
    detach();
}

void MainWindowFrame::buildLockPanel() {
    lockControls_ = {
        addControl("STATIC", "Enter Password:", SS_LEFT, RECT{10, 10, 170, 26}, kLockLabel),
        addControl("EDIT", "", WS_TABSTOP | WS_GROUP | ES_PASSWORD | ES_AUTOHSCROLL,
                   RECT{10, 28, 175, 50}, kPasswordField, WS_EX_CLIENTEDGE),
        addControl("BUTTON", "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, RECT{10, 60, 88, 85},
                   IDOK),
        addControl("BUTTON", "Cancel", WS_TABSTOP, RECT{96, 60, 174, 85}, IDCANCEL),
    };
    // Stars, whatever the common controls' own default mask character is.
    SendMessageA(passwordField(), EM_SETPASSWORDCHAR, '*', 0);
}

void MainWindowFrame::buildListPanel() {
    HWND list = addControl(
        WC_LISTVIEWA, "",
        WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
        RECT{0, kBannerHeight, 100, 100}, kListView, WS_EX_CLIENTEDGE);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    listControls_.push_back(list);
    listControls_.push_back(addControl("STATIC",
                                       "  Note: Double click on a site to open it in your browser.",
                                       SS_LEFT | SS_NOPREFIX, RECT{0, 0, 10, 10}, kListNote));
    for (const auto& listButton : kListButtons)
        listControls_.push_back(addControl("BUTTON", listButton.caption, WS_TABSTOP | BS_PUSHBUTTON,
                                           RECT{0, 0, 10, 10}, listButton.id));
    // Remove and Edit wait for a click in the list.
    EnableWindow(button(kRemoveButton), FALSE);
    EnableWindow(button(kEditButton), FALSE);
}

void MainWindowFrame::buildListMenu() {
    listMenu_.reset(CreatePopupMenu());
    for (const auto& item : kListMenuItems) {
        if (item.id == 0)
            AppendMenuA(listMenu_.get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(listMenu_.get(), MF_STRING, static_cast<UINT_PTR>(item.id), item.caption);
    }
}

void MainWindowFrame::addHints() {
    hints_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, handle(), nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    for (const auto& listButton : kListButtons) {
        TTTOOLINFOA tool{};
        // The record every version of the controls reads: without their
        // version 6 manifest, Windows refuses the longer one.
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = handle();
        tool.uId = reinterpret_cast<UINT_PTR>(button(listButton.id));
        tool.lpszText = const_cast<char*>(listButton.hint);
        SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindowFrame::attach(TForm1& form) {
    form_ = &form;
    listMirror_ = std::make_unique<BookmarkListView>(listView(), form.list());
    mirrorCommandStates();
}

void MainWindowFrame::detach() {
    listMirror_.reset();
    form_ = nullptr;
}

void MainWindowFrame::run(const std::function<void()>& handler) {
    if (!form_) return;
    form_->dispatcher().run(handler);
    mirrorCommandStates();
}

void MainWindowFrame::mirrorCommandStates() {
    if (!form_) return;
    EnableWindow(button(kRemoveButton), form_->removeEnabled());
    EnableWindow(button(kEditButton), form_->editEnabled());
    const TForm1::ListMenuState& menu = form_->listMenu();
    const auto enable = [this](int id, bool enabled) {
        EnableMenuItem(listMenu_.get(), static_cast<UINT>(id),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    enable(kOpenItem, menu.open);
    enable(kEditItem, menu.edit);
    enable(kCopyItem, menu.copy);
    enable(kRemoveItem, menu.remove);
}

void MainWindowFrame::command(int id) {
    if (!form_) return;
    // Enter and Esc reach the window as IDOK and IDCANCEL from anywhere;
    // only the lock panel has buttons for them.
    if (id == IDOK || id == IDCANCEL) {
        if (panel_ != Panel::Lock) return;
        if (id == IDOK)
            run([this] { form_->UnlockClick(); });
        else
            run([this] { form_->LockCancelClick(); });
        return;
    }
    for (const auto& listButton : kListButtons)
        if (listButton.id == id) {
            const auto handler = listButton.handler;
            run([this, handler] { (form_->*handler)(); });
            return;
        }
    for (const auto& item : kListMenuItems)
        if (item.id != 0 && item.id == id) {
            const auto handler = item.handler;
            run([this, handler] { (form_->*handler)(); });
            return;
        }
}

void MainWindowFrame::popUpListMenu(LPARAM where) {
    POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    // From the keyboard: at the selected row, or the list's corner.
    if (at.x == -1 && at.y == -1) {
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        const LRESULT selected =
            SendMessageA(listView(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        if (selected >= 0 &&
            SendMessageA(listView(), LVM_GETITEMRECT, static_cast<WPARAM>(selected),
                         reinterpret_cast<LPARAM>(&row)))
            at = POINT{row.left + 8, row.bottom};
        else
            at = POINT{8, 8};
        ClientToScreen(listView(), &at);
    }
    run([this] { form_->PopupMenu2Popup(); });
    TrackPopupMenu(listMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                   handle(), nullptr);
}

void MainWindowFrame::layOut() {
    RECT client{};
    GetClientRect(handle(), &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return;
    // The lock panel's field and buttons span its width.
    const int half = (width - 28) / 2;
    place(passwordField(), 10, 28, width - 20, 22);
    place(control(IDOK), 10, 60, half, 25);
    place(control(IDCANCEL), width - 10 - half, 60, half, 25);
    // The list fills what the banner and the bottom bar leave.
    const int barTop = height - kBottomBarHeight;
    place(listView(), 0, kBannerHeight, width, barTop - kBannerHeight);
    place(control(kListNote), 4, barTop + 4, width - 8, 16);
    const int gap = 4;
    const int count = static_cast<int>(std::size(kListButtons));
    const int buttonWidth = (width - 8 - gap * (count - 1)) / count;
    int left = 4;
    for (const auto& listButton : kListButtons) {
        place(button(listButton.id), left, barTop + 22, buttonWidth, 25);
        left += buttonWidth + gap;
    }
}

void MainWindowFrame::paintBanner(HDC dc) const {
    RECT client{};
    GetClientRect(handle(), &client);
    RECT band{0, 0, client.right, kBannerHeight};
    if (!banner_) {
        HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x32, 0x5a));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
        return;
    }
    BITMAP size{};
    GetObjectA(banner_.get(), sizeof size, &size);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, banner_.get());
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, band.right, kBannerHeight, memory, 0, 0, size.bmWidth, size.bmHeight,
               SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void MainWindowFrame::setFocusWhenActive(HWND target) {
    focusTarget_ = target;
    if (GetActiveWindow() == handle()) SetFocus(target);
}

LRESULT MainWindowFrame::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Buttons and menu items; an edit's notifications are not commands.
            if (HIWORD(wParam) == BN_CLICKED) {
                command(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.idFrom != kListView) break;
            if (listMirror_) listMirror_->notify(header);
            // A click or double click anywhere in the list, on a row or not.
            if (header.code == NM_CLICK)
                run([this] { form_->ListView1Click(); });
            else if (header.code == NM_DBLCLK)
                run([this] { form_->ListView1DblClick(); });
            return 0;
        }
        case WM_NOTIFYFORMAT:
            // Texts go to and from the list view as ANSI bytes.
            return NFR_ANSI;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == listView() && form_) {
                popUpListMenu(lParam);
                return 0;
            }
            break;
        case WM_CLOSE: {
            bool mayClose = false;
            run([&] { mayClose = form_->FormCloseQuery(); });
            if (mayClose) PostQuitMessage(0);
            return 0;
        }
        case WM_SHOWWINDOW:
            // lParam 0: ShowWindow hid us, whoever asked.
            if (!wParam && lParam == 0) PostMessageA(handle(), kFormHideMessage, 0, 0);
            break;
        case kFormHideMessage:
            if (!IsWindowVisible(handle())) run([this] { form_->FormHide(); });
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                minimized_ = true;
                run([this] { form_->ApplicationMinimize(); });
                return 0;
            }
            if (std::exchange(minimized_, false) && onRestored_) onRestored_();
            layOut();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && focusTarget_ && IsWindowVisible(focusTarget_)) {
                SetFocus(focusTarget_);
                return 0;
            }
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focused = GetFocus();
                if (focused && IsChild(handle(), focused)) focusTarget_ = focused;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(handle(), &paint);
            if (panel_ == Panel::List) paintBanner(dc);
            EndPaint(handle(), &paint);
            return 0;
        }
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

ScreenSize MainWindowFrame::screenSize() const {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void MainWindowFrame::moveWindow(int left, int top) {
    SetWindowPos(handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowFrame::resizeWindow(int width, int height) {
    // The sizes are the outer window's, frame included, as the logic gives them.
    SetWindowPos(handle(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowFrame::setCaption(const std::string& caption) {
    setWindowText(handle(), caption);
}

void MainWindowFrame::showPanel(Panel panel) {
    panel_ = panel;
    for (HWND control : panel == Panel::Lock ? listControls_ : lockControls_)
        ShowWindow(control, SW_HIDE);
    for (HWND control : panel == Panel::Lock ? lockControls_ : listControls_)
        ShowWindow(control, SW_SHOW);
    setFocusWhenActive(panel == Panel::Lock ? passwordField() : listView());
    InvalidateRect(handle(), nullptr, TRUE);
}

std::string MainWindowFrame::passwordFieldText() const {
    return windowText(passwordField());
}

void MainWindowFrame::clearPasswordField() {
    setWindowText(passwordField(), "");
}

void MainWindowFrame::focusPasswordField() {
    setFocusWhenActive(passwordField());
}

bool MainWindowFrame::isWindowVisible() const {
    return IsWindowVisible(handle()) != 0;
}

void MainWindowFrame::showWindow() {
    ShowWindow(handle(), IsIconic(handle()) ? SW_RESTORE : SW_SHOW);
}

void MainWindowFrame::hideWindow() {
    ShowWindow(handle(), SW_HIDE);
}

void MainWindowFrame::setMinimized(bool minimized) {
    // A hidden window's state only matters at its next show, which restores it.
    if (!isWindowVisible()) return;
    if (minimized)
        ShowWindow(handle(), SW_MINIMIZE);
    else if (IsIconic(handle()))
        ShowWindow(handle(), SW_RESTORE);
}

void MainWindowFrame::bringToFront() {
    if (!isWindowVisible()) return;
    SetForegroundWindow(handle());
    BringWindowToTop(handle());
    if (focusTarget_) SetFocus(focusTarget_);
}

}  // namespace zn::win32
