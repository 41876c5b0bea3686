#include "import/win32/import_dialog_window.h"

#include <uxtheme.h>

#include "platform/folder_picker.h"

namespace zn::win32 {
namespace {

constexpr int kDialogWidth = 586;
constexpr int kDialogHeight = 440;
constexpr int kBottomBarHeight = 49;
constexpr int kMargin = 8;
constexpr int kLabelHeight = 16;
constexpr int kFieldHeight = 22;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kBrowseWidth = 24;

RECT box(int left, int top, int right, int bottom) {
    return RECT{left, top, right, bottom};
}

}  // namespace

ImportDialogWindow::ImportDialogWindow(TwImport& logic, const HandlerDispatcher& dispatcher,
                                       FolderPicker& picker, HWND owner)
    : logic_(logic), dispatcher_(dispatcher), picker_(picker) {
    INITCOMMONCONTROLSEX classes{sizeof classes,
                                 ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    const int left = centredOffset(GetSystemMetrics(SM_CXSCREEN), kDialogWidth);
    const int top = centredOffset(GetSystemMetrics(SM_CYSCREEN), kDialogHeight);
    create("ZintrelImport", "Import", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
           WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
           box(left, top, left + kDialogWidth, top + kDialogHeight), owner);
    addControls();
    logic_.setObserver(this);
}

ImportDialogWindow::~ImportDialogWindow() {
    logic_.setObserver(nullptr);
}

void ImportDialogWindow::addControls() {
    RECT client{};
    GetClientRect(handle(), &client);
    const int barTop = client.bottom - kBottomBarHeight;
    HWND pages = addControl(WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS,
                            box(4, 4, client.right - 4, barTop), PageControl1);
    const char* titles[] = {"Import from Internet Explorer", "Import from Netscape"};
    for (int page = 0; page < 2; ++page) {
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<char*>(titles[page]);
        SendMessageA(pages, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&tab));
    }
    RECT page = box(4, 4, client.right - 4, barTop);
    TabCtrl_AdjustRect(pages, FALSE, &page);
    InflateRect(&page, -kMargin + 2, -kMargin + 2);

    tooltips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    addFavoritesPage(page);
    addBookmarkFilePage(page);
    addBottomBar(client);
    // The pages' controls lie over the tab control, which paints beneath them.
    SetWindowPos(pages, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    showPage(0);
    // The favorites were found while the dialog was made, before its window.
    favorites_->reload();
    addresses_->reload();
    showBookmarkFiles();
}

HWND ImportDialogWindow::addPageControl(int page, const char* controlClass, const char* text,
                                        DWORD style, RECT bounds, int id, DWORD exStyle) {
    HWND control = addControl(controlClass, text, style, bounds, id, exStyle);
    pageControls_[page].push_back(control);
    return control;
}

void ImportDialogWindow::addFavoritesPage(RECT p) {
    addPageControl(0, "STATIC", "Current Favorites Folder:", 0,
                   box(p.left, p.top, p.right, p.top + kLabelHeight), Label1);
    const int fieldTop = p.top + kLabelHeight + 2;
    HWND edit =
        addPageControl(0, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
                       box(p.left, fieldTop, p.right - kBrowseWidth - 2, fieldTop + kFieldHeight),
                       OrvFolderLookup1, WS_EX_CLIENTEDGE);
    HWND browse =
        addPageControl(0, "BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON,
                       box(p.right - kBrowseWidth, fieldTop, p.right, fieldTop + kFieldHeight),
                       OrvFolderLookup1Browse);
    favoritesFolder_ =
        std::make_unique<FolderLookupView>(logic_.OrvFolderLookup1, edit, browse, [] {});
    favorites_ =
        addCheckListRow(0, box(p.left, fieldTop + kFieldHeight + 8, p.right, p.bottom), listbox1,
                        ImportListId::Favorites, {BitBtn3, &TwImport::BitBtn3Click},
                        {BitBtn4, &TwImport::BitBtn4Click});
}

void ImportDialogWindow::addBookmarkFilePage(RECT p) {
    int top = p.top;
    addPageControl(1, "STATIC", "Netscape User Folder:", 0,
                   box(p.left, top, p.right, top + kLabelHeight), Label2);
    top += kLabelHeight + 2;
    const int fieldRight = p.right - kButtonWidth - kMargin;
    HWND edit = addPageControl(1, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
                               box(p.left, top, fieldRight - kBrowseWidth - 2, top + kFieldHeight),
                               OrvFolderLookup2, WS_EX_CLIENTEDGE);
    HWND browse =
        addPageControl(1, "BUTTON", "...", WS_TABSTOP | BS_PUSHBUTTON,
                       box(fieldRight - kBrowseWidth, top, fieldRight, top + kFieldHeight),
                       OrvFolderLookup2Browse);
    addTooltip(browse, "Browse for a folder");
    bookmarkFolder_ = std::make_unique<FolderLookupView>(
        logic_.OrvFolderLookup2, edit, browse,
        [this] { run([this] { logic_.OrvFolderLookup2.Browse(picker_); }); });
    HWND find = addPageControl(
        1, "BUTTON", "Find", WS_TABSTOP | BS_PUSHBUTTON,
        box(p.right - kButtonWidth, top - 1, p.right, top - 1 + kButtonHeight), BitBtn8);
    addTooltip(find, "Click here after changing the folder, to refind the bookmark.htm files.");
    commands_.push_back({BitBtn8, &TwImport::BitBtn8Click});
    top += kFieldHeight + 8;

    addPageControl(1, "STATIC", "Netscape User Bookmark.htm File:", 0,
                   box(p.left, top, p.right, top + kLabelHeight), Label3);
    top += kLabelHeight + 2;
    // Three lines of files.
    HWND files = addPageControl(1, "LISTBOX", "",
                                WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                box(p.left, top, p.right, top), ListBox2, WS_EX_CLIENTEDGE);
    const int filesHeight = 3 * static_cast<int>(SendMessageA(files, LB_GETITEMHEIGHT, 0, 0)) + 6;
    SetWindowPos(files, nullptr, 0, 0, p.right - p.left, filesHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    top += filesHeight + 8;

    addPageControl(1, "STATIC", "Select the Netscape User bookmarks to be added:", 0,
                   box(p.left, top, p.right, top + kLabelHeight), Label4);
    top += kLabelHeight + 2;
    addresses_ = addCheckListRow(1, box(p.left, top, p.right, p.bottom), CheckListBox1,
                                 ImportListId::Addresses, {BitBtn5, &TwImport::BitBtn5Click},
                                 {BitBtn6, &TwImport::BitBtn6Click});
    // Load is the dialog's own command, run by first show and by selection.
    addControl("BUTTON", "Load the selected bookmark file", BS_PUSHBUTTON, box(0, 0, 0, 0),
               BitBtn7);
    ShowWindow(control(BitBtn7), SW_HIDE);
    commands_.push_back({BitBtn7, &TwImport::BitBtn7Click});
}

std::unique_ptr<CheckListView> ImportDialogWindow::addCheckListRow(int page, RECT bounds,
                                                                   ControlId id, ImportListId list,
                                                                   Command selectAll,
                                                                   Command deselectAll) {
    const int buttonsLeft = bounds.right - kButtonWidth;
    HWND view = addPageControl(page, WC_LISTVIEWA, "",
                               WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                   LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                               box(bounds.left, bounds.top, buttonsLeft - kMargin, bounds.bottom),
                               id, WS_EX_CLIENTEDGE);
    int top = bounds.top;
    for (const Command& command : {selectAll, deselectAll}) {
        addPageControl(page, "BUTTON", command.id == selectAll.id ? "Select All" : "Deselect All",
                       WS_TABSTOP | BS_PUSHBUTTON,
                       box(buttonsLeft, top, bounds.right, top + kButtonHeight), command.id);
        commands_.push_back(command);
        top += kButtonHeight + 6;
    }
    const CheckList& items =
        list == ImportListId::Favorites ? logic_.listbox1 : logic_.CheckListBox1;
    return std::make_unique<CheckListView>(
        view, items,
        [this, list](std::size_t row, bool checked) { logic_.setTick(list, row, checked); });
}

void ImportDialogWindow::addBottomBar(RECT client) {
    const int top = client.bottom - kBottomBarHeight;
    addControl("STATIC", "", SS_ETCHEDHORZ, box(0, top, client.right, top + 2), Panel1);
    const int buttonTop = top + (kBottomBarHeight - kButtonHeight) / 2;
    addControl("BUTTON", "Remove bookmarks from browser after importing",
               WS_TABSTOP | BS_AUTOCHECKBOX, box(10, buttonTop, 330, buttonTop + kButtonHeight),
               CheckBox1);
    const int cancelLeft = client.right - 10 - kButtonWidth;
    const int importLeft = cancelLeft - 8 - kButtonWidth;
    addControl("BUTTON", "Import Now", WS_TABSTOP | BS_DEFPUSHBUTTON,
               box(importLeft, buttonTop, importLeft + kButtonWidth, buttonTop + kButtonHeight),
               BitBtn1);
    addControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON,
               box(cancelLeft, buttonTop, cancelLeft + kButtonWidth, buttonTop + kButtonHeight),
               BitBtn2);
}

void ImportDialogWindow::addTooltip(HWND control, const char* text) {
    if (!tooltips_) return;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ImportDialogWindow::showPage(int page) {
    TabCtrl_SetCurSel(control(PageControl1), page);
    for (int each = 0; each < 2; ++each)
        for (HWND control : pageControls_[each])
            ShowWindow(control, each == page ? SW_SHOW : SW_HIDE);
}

bool ImportDialogWindow::run(HWND owner) {
    endedWithImport_.reset();
    ShowWindow(handle(), SW_SHOW);
    UpdateWindow(handle());
    if (!shownOnce_) {
        shownOnce_ = true;
        // Once the window is on the screen: the search lets messages through.
        run([this] { logic_.FormShow(); });
    }
    runModalLoop(handle(), owner, [this] { return endedWithImport_.has_value(); });
    logic_.CheckBox1 = SendMessageA(control(CheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return endedWithImport_.value_or(false);
}

void ImportDialogWindow::run(const std::function<void()>& handler) {
    dispatcher_.run(handler);
}

LRESULT ImportDialogWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (favorites_ && favorites_->notify(header, result)) return result;
            if (addresses_ && addresses_->notify(header, result)) return result;
            if (header.idFrom == PageControl1 && header.code == TCN_SELCHANGE)
                showPage(TabCtrl_GetCurSel(header.hwndFrom));
            return 0;
        }
        case CheckListView::kFinishKeyTick:
            (reinterpret_cast<HWND>(lParam) == favorites_->handle() ? favorites_ : addresses_)
                ->finishKeyTick();
            return 0;
        case WM_CTLCOLORSTATIC: {
            // The pages' labels lie on the tab control's body, which a theme
            // paints in the window colour rather than the dialog's.
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            const bool label = id == Label1 || id == Label2 || id == Label3 || id == Label4;
            if (!label || !IsAppThemed()) break;
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_CLOSE:  // the close box counts as Cancel
            endedWithImport_ = false;
            return 0;
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void ImportDialogWindow::command(HWND control, int id, WORD code) {
    if (id == BitBtn1 || id == BitBtn2) {
        endedWithImport_ = id == BitBtn1;
        return;
    }
    // The fields' own controls report while the fields are being made.
    if (id == OrvFolderLookup1 || id == OrvFolderLookup1Browse) {
        if (favoritesFolder_) favoritesFolder_->command(control, code);
        return;
    }
    if (id == OrvFolderLookup2 || id == OrvFolderLookup2Browse) {
        if (bookmarkFolder_) bookmarkFolder_->command(control, code);
        return;
    }
    if (id == ListBox2) {
        const LRESULT selected = SendMessageA(control, LB_GETCURSEL, 0, 0);
        if (code == LBN_SELCHANGE && !mirroring_ && selected != LB_ERR)
            run([this, selected] { logic_.ListBox2Click(static_cast<std::size_t>(selected)); });
        return;
    }
    if (code != BN_CLICKED) return;
    for (const Command& each : commands_)
        if (each.id == id) run([this, handler = each.handler] { (logic_.*handler)(); });
}

void ImportDialogWindow::showBookmarkFiles() {
    mirroring_ = true;
    HWND files = control(ListBox2);
    SendMessageA(files, LB_RESETCONTENT, 0, 0);
    for (const std::string& path : logic_.ListBox2)
        SendMessageA(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    SendMessageA(files, LB_SETCURSEL,
                 logic_.ListBox2Selected ? static_cast<WPARAM>(*logic_.ListBox2Selected)
                                         : static_cast<WPARAM>(-1),
                 0);
    mirroring_ = false;
}

// The window-update lock: the ticks of a Select All change unseen, and only
// the items whose tick changed are painted when it is released.
void ImportDialogWindow::lockUpdates(bool locked) {
    LockWindowUpdate(locked ? handle() : nullptr);
}

void ImportDialogWindow::tickChanged(ImportListId list, std::size_t index) {
    (list == ImportListId::Favorites ? favorites_ : addresses_)->tickChanged(index);
}

void ImportDialogWindow::listChanged(ImportListId list) {
    switch (list) {
        case ImportListId::Favorites:
            favorites_->reload();
            break;
        case ImportListId::Addresses:
            addresses_->reload();
            break;
        case ImportListId::BookmarkFiles:
            showBookmarkFiles();
            break;
    }
}

void ImportDialogWindow::findRunning(bool running) {
    EnableWindow(control(BitBtn8), !running);
    if (bookmarkFolder_) bookmarkFolder_->showLogic();
}

}  // namespace zn::win32
