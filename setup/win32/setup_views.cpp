#include "setup/win32/setup_views.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace zn::setup::win32 {
namespace {

using zn::win32::dialogFont;
using zn::win32::setWindowText;
using zn::win32::windowText;

// The frame every setup window has: a caption, a single border, no
// title-bar buttons and no system menu.
constexpr DWORD kFixedFrame = WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN;

// Posted to a window to run something once the current message is done.
constexpr UINT kAfterShow = WM_APP + 1;
constexpr UINT kAfterClick = WM_APP + 2;

// The control ids, named after the designed controls.
enum : int {
    Memo1 = 101,
    LicenceAgree = 102,     // Button1
    LicenceCancel = 103,    // Button2
    InstallFolder = 201,    // Edit1
    DesktopBox = 202,       // CheckBox1
    StartMenuBox = 203,     // CheckBox2
    BrowseButton = 204,     // BitBtn1
    QuitButton = 205,       // BitBtn2
    InstallButton = 206,    // BitBtn3
    CompletionOk = 207,     // Button1 on Panel1
    RunNowBox = 208,        // CheckBox3
    ReleaseNotesBox = 209,  // CheckBox4
    DriveList = 301,        // DriveComboBox1
    DirectoryList = 302,    // DirectoryListBox1
    ChooserFolder = 303,    // Edit1
    ChooserOk = 304,        // BitBtn1
};

HFONT timesFont(int pixelHeight, bool bold, bool underline) {
    return CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_ROMAN, "Times New Roman");
}

HFONT sansFont(int pixelHeight, bool bold) {
    return CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

// Answers WM_PAINT: the client area on the button face, then draw(dc, area).
template <typename Draw>
LRESULT paintWindow(HWND window, Draw draw) {
    PAINTSTRUCT paintStruct{};
    const HDC dc = BeginPaint(window, &paintStruct);
    RECT area{};
    GetClientRect(window, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    draw(dc, area);
    EndPaint(window, &paintStruct);
    return 0;
}

RECT box(int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
}

void drawText(HDC dc, int left, int top, const char* text, HFONT font, COLORREF colour) {
    const HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutA(dc, left, top, text, static_cast<int>(std::char_traits<char>::length(text)));
    SelectObject(dc, previous);
}

// A gradient through colour stops, drawn one line at a time: the pictures
// are plain washes, and no image library is needed for them.
struct Stop {
    double at;
    COLORREF colour;
};

COLORREF between(const std::initializer_list<Stop>& stops, double at) {
    const Stop* low = stops.begin();
    for (const Stop& stop : stops)
        if (stop.at <= at) low = &stop;
    const Stop* high = low + 1 == stops.end() ? low : low + 1;
    const double span = high->at - low->at;
    const double t = span > 0 ? std::clamp((at - low->at) / span, 0.0, 1.0) : 0.0;
    const auto mix = [t](int a, int b) { return static_cast<BYTE>(a + (b - a) * t + 0.5); };
    return RGB(mix(GetRValue(low->colour), GetRValue(high->colour)),
               mix(GetGValue(low->colour), GetGValue(high->colour)),
               mix(GetBValue(low->colour), GetBValue(high->colour)));
}

void fillGradient(HDC dc, RECT area, const std::initializer_list<Stop>& stops, bool vertical) {
    const int length = vertical ? area.bottom - area.top : area.right - area.left;
    for (int i = 0; i < length; ++i) {
        const GdiObject brush(
            CreateSolidBrush(between(stops, length > 1 ? i / double(length - 1) : 0)));
        const RECT line = vertical ? RECT{area.left, area.top + i, area.right, area.top + i + 1}
                                   : RECT{area.left + i, area.top, area.left + i + 1, area.bottom};
        FillRect(dc, &line, static_cast<HBRUSH>(brush.get()));
    }
}

void fillPolygon(HDC dc, const POINT* points, int count, COLORREF colour) {
    const GdiObject brush(CreateSolidBrush(colour));
    const GdiObject pen(CreatePen(PS_SOLID, 1, colour));
    const HGDIOBJ oldBrush = SelectObject(dc, brush.get());
    const HGDIOBJ oldPen = SelectObject(dc, pen.get());
    Polygon(dc, points, count);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// The ribbon with a keyhole that marks the program, width w at (x, y).
void drawRibbon(HDC dc, int x, int y, int w) {
    const int h = w * 3 / 2;
    const POINT ribbon[] = {
        {x, y}, {x + w, y}, {x + w, y + h}, {x + w / 2, y + h * 3 / 4}, {x, y + h}};
    fillPolygon(dc, ribbon, 5, RGB(0xf5, 0xbc, 0x4e));
    const COLORREF hole = RGB(0x12, 0x32, 0x5a);
    const int r = std::max(w / 6, 2);
    const int cx = x + w / 2;
    const int cy = y + h * 3 / 10;
    const GdiObject brush(CreateSolidBrush(hole));
    const GdiObject pen(CreatePen(PS_SOLID, 1, hole));
    const HGDIOBJ oldBrush = SelectObject(dc, brush.get());
    const HGDIOBJ oldPen = SelectObject(dc, pen.get());
    Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
    const POINT stem[] = {
        {cx - r / 2, cy}, {cx + r / 2, cy}, {cx + r, cy + r * 3}, {cx - r, cy + r * 3}};
    Polygon(dc, stem, 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void paintBackdrop(HDC dc, RECT area) {
    fillGradient(
        dc, area,
        {{0, RGB(0x12, 0x32, 0x5a)}, {0.65, RGB(0x1d, 0x5f, 0x8a)}, {1, RGB(0x2a, 0x8f, 0x9e)}},
        true);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    drawRibbon(dc, width * 452 / 536, height * 200 / 348, std::max(width * 44 / 536, 8));
}

// The background the licence and the installation screens share.
void paintBackground(HDC dc, RECT area) {
    fillGradient(dc, area, {{0, RGB(0xf4, 0xf8, 0xfc)}, {1, RGB(0xd7, 0xe4, 0xf1)}}, true);
}

void paintBanner(HDC dc, RECT area) {
    fillGradient(
        dc, area,
        {{0, RGB(0x12, 0x32, 0x5a)}, {0.6, RGB(0x1d, 0x5f, 0x8a)}, {1, RGB(0x2a, 0x8f, 0x9e)}},
        false);
    drawRibbon(dc, area.left + 16, area.top + 8, 30);
    const GdiObject name(sansFont(26, true));
    const GdiObject word(sansFont(15, false));
    drawText(dc, area.left + 58, area.top + 12, "Zintrel", name.font(), RGB(0xff, 0xff, 0xff));
    drawText(dc, area.left + 176, area.top + 20, "Setup", word.font(), RGB(0xcf, 0xe6, 0xf2));
}

// The licence text from the program's resources, with the line ends an edit
// control shows.
std::string licenceText() {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, "LICENCE", MAKEINTRESOURCEA(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data) return {};
    std::string text;
    for (const char* c = data; c != data + SizeofResource(module, found); ++c) {
        if (*c == '\n' && (text.empty() || text.back() != '\r')) text += '\r';
        text += *c;
    }
    return text;
}

// Whether a key that moves through a list is down: a list's selection then
// changed from the keyboard, not from a click.
bool movedByKeys() {
    for (const int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, VK_HOME, VK_END})
        if (GetKeyState(key) & 0x8000) return true;
    return false;
}

RECT windowBounds(int clientWidth, int clientHeight, DWORD style) {
    RECT bounds = box(0, 0, clientWidth, clientHeight);
    AdjustWindowRectEx(&bounds, style, FALSE, 0);
    return box(CW_USEDEFAULT, CW_USEDEFAULT, bounds.right - bounds.left,
               bounds.bottom - bounds.top);
}

}  // namespace

BackdropView::BackdropView(SetupProgram& program, HWND applicationWindow)
    : program_(program), captionFont_(timesFont(35, true, true)) {
    const DWORD style = WS_OVERLAPPED | kFixedFrame;
    RECT bounds = windowBounds(536, 348, style);
    bounds = box(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
    // Being owned, it gets no task-bar button: the application window's
    // button stands for it.
    create("ZintrelSetupBackdrop", "Zintrel Setup", style, 0, bounds,
           applicationWindow);  // TForm5
}

void BackdropView::show() {
    ShowWindow(handle(), SW_SHOW);
    // FormShow maximizes, which is done once the show itself is over.
    PostMessageA(handle(), kAfterShow, 0, 0);
}

LRESULT BackdropView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kAfterShow:
            program_.dispatcher.run([this] { program_.backdrop.FormShow(); });
            return 0;
        case WM_SIZE:
            InvalidateRect(handle(), nullptr, FALSE);
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return paintWindow(handle(), [this](HDC dc, RECT area) {
                paintBackdrop(dc, area);
                drawText(dc, 5, 8, "Zintrel Setup", captionFont_.font(), RGB(0xff, 0xff, 0xff));
            });
        case WM_CLOSE:
            // The backdrop goes with the installation screen, not on its own.
            return 0;
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

SetupDialog::SetupDialog(SetupProgram& program, HWND owner, const char* className,
                         const char* caption, int clientWidth, int clientHeight)
    : program_(program), owner_(owner) {
    const DWORD style = WS_POPUP | kFixedFrame;
    create(className, caption, style, 0, windowBounds(clientWidth, clientHeight, style), owner);
}

void SetupDialog::runModal() {
    zn::win32::centreOnScreen(handle());
    open_ = true;
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    // The keyboard starts at the first control, as in a dialog box.
    SetFocus(GetNextDlgTabItem(handle(), nullptr, FALSE));
    formShow();
    zn::win32::runModalLoop(handle(), owner_, [this] { return !open_; });
}

void SetupDialog::close() {
    open_ = false;
    ShowWindow(handle(), SW_HIDE);
    program_.dispatcher.run([this] { formClose(); });
}

LRESULT SetupDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID: {
            // Enter presses the focused button, as in a dialog box.
            const HWND focus = GetFocus();
            if (focus && IsChild(handle(), focus) &&
                (GetWindowLongA(focus, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
                char name[16] = {};
                GetClassNameA(focus, name, sizeof name);
                if (lstrcmpiA(name, "Button") == 0)
                    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
            }
            return 0;
        }
        case WM_CLOSE:
            close();
            return 0;
        case WM_ACTIVATE:
            // The control that had the keyboard gets it back, after a message box too.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(handle(), focus)) focus_ = focus;
            } else if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_)) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return paintWindow(handle(), [this](HDC dc, RECT) { paint(dc); });
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

LicenceView::LicenceView(SetupProgram& program, HWND owner)
    : SetupDialog(program, owner, "ZintrelSetupLicence", "License Agreement & Disclaimer", 551,
                  348),
      headingFont_(timesFont(21, false, true)) {  // TForm4
    addControl("EDIT", licenceText(),
               WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
               box(6, 64, 539, 225), Memo1, WS_EX_CLIENTEDGE);
    addControl("BUTTON", "Agree", WS_TABSTOP | BS_DEFPUSHBUTTON, box(159, 312, 75, 25),
               LicenceAgree);
    addControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, box(280, 312, 75, 25),
               LicenceCancel);
}

void LicenceView::formShow() {
    SetFocus(control(LicenceAgree));
    program_.dispatcher.run([this] { program_.licence.FormShow(); });
}

void LicenceView::formClose() {
    program_.licence.FormClose();
}

void LicenceView::command(int id, int notification) {
    if (notification != BN_CLICKED) return;
    if (id == LicenceAgree || id == IDOK)
        program_.dispatcher.run([this] { program_.licence.Button1Click(); });
    else if (id == LicenceCancel)
        program_.dispatcher.run([this] { program_.licence.Button2Click(); });
    else if (id == IDCANCEL)
        close();
}

void LicenceView::paint(HDC dc) {
    RECT area{};
    GetClientRect(handle(), &area);
    paintBackground(dc, area);
    drawText(dc, 52, 29, "Zintrel License Agreement and Disclaimer", headingFont_.font(),
             RGB(0, 0, 0xff));
}

PanelView::PanelView(HWND parent, RECT bounds, std::function<void(HDC)> paint)
    : paint_(std::move(paint)) {
    create("ZintrelSetupPanel", "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, bounds,
           parent);
}

HWND PanelView::addButton(const char* text, RECT bounds, int id, std::function<void()> clicked) {
    clicked_ = std::move(clicked);
    buttonId_ = id;
    return addControl("BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, bounds, id);
}

HWND PanelView::addHidden(const char* controlClass, const char* text, DWORD style, int id) {
    const HWND hidden = addControl(controlClass, text, style, box(0, 0, 0, 0), id);
    ShowWindow(hidden, SW_HIDE);
    return hidden;
}

LRESULT PanelView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == buttonId_ && HIWORD(wParam) == BN_CLICKED && clicked_) clicked_();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            return paintWindow(handle(), [this](HDC dc, RECT area) {
                // A raised double bevel: the outer edge and one more inside it.
                DrawEdge(dc, &area, EDGE_RAISED, BF_RECT);
                InflateRect(&area, -2, -2);
                DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
                paint_(dc);
            });
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

InstallationView::InstallationView(SetupProgram& program, HWND owner)
    : SetupDialog(program, owner, "ZintrelSetupInstallation", "Installation", 347, 184),  // TForm1
      noticeFont_(timesFont(16, true, false)),
      completionFont_(timesFont(16, false, false)),
      // The keyboard order is the order of creation.
      folder_(addControl("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, box(102, 76, 145, 21),
                         InstallFolder, WS_EX_CLIENTEDGE)),
      desktop_(addControl("BUTTON", "", WS_TABSTOP | BS_AUTOCHECKBOX, box(111, 103, 13, 13),
                          DesktopBox)),
      startMenu_(addControl("BUTTON", "", WS_TABSTOP | BS_AUTOCHECKBOX, box(111, 123, 13, 13),
                            StartMenuBox)),
      browse_(addControl("BUTTON", "Browse", WS_TABSTOP | BS_PUSHBUTTON, box(249, 78, 58, 17),
                         BrowseButton)),
      install_(addControl("BUTTON", "Install", WS_TABSTOP | BS_PUSHBUTTON, box(85, 151, 75, 25),
                          InstallButton)),
      quit_(addControl("BUTTON", "Quit", WS_TABSTOP | BS_PUSHBUTTON, box(173, 151, 75, 25),
                       QuitButton)),
      // Shown inside the window while the installation runs (Panel2).
      notice_(handle(), box(32, 71, 289, 110),
              [this](HDC dc) {
                  RECT area = box(0, 0, 289, 110);
                  const HGDIOBJ previous = SelectObject(dc, noticeFont_.font());
                  SetBkMode(dc, TRANSPARENT);
                  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
                  DrawTextA(dc, kInstallingNotice, -1, &area,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                  SelectObject(dc, previous);
              }),
      // The completion panel (Panel1).
      completion_(handle(), box(32, 71, 289, 110), [this](HDC dc) {
          drawText(dc, 55, 15, "Install Completed Successfully!", completionFont_.font(),
                   RGB(0, 0, 0x80));
          drawText(dc, 55, 40, "Zintrel will now run so that you may", dialogFont(),
                   GetSysColor(COLOR_BTNTEXT));
          drawText(dc, 20, 56, "enter your new password and customize settings.", dialogFont(),
                   GetSysColor(COLOR_BTNTEXT));
      }) {
    ok_ = completion_.addButton("OK", box(110, 80, 75, 20), CompletionOk,
                                [this] { forward(&TForm1::Button1Click); });
    runNow_ = completion_.addHidden("BUTTON", "Run Zintrel Now", BS_AUTOCHECKBOX, RunNowBox);
    releaseNotes_ =
        completion_.addHidden("BUTTON", "View Release Notes", BS_AUTOCHECKBOX, ReleaseNotesBox);
}

void InstallationView::forward(void (TForm1::*handler)()) {
    keepControls();
    TForm1& logic = program_.installationScreen;
    program_.dispatcher.run([&] { (logic.*handler)(); });
    if (!logic.ended()) showLogic();
}

void InstallationView::keepControls() {
    TForm1& logic = program_.installationScreen;
    logic.folderField = windowText(folder_);
    logic.desktopBox = SendMessageA(desktop_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    logic.startMenuBox = SendMessageA(startMenu_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void InstallationView::showLogic() {
    const TForm1& logic = program_.installationScreen;
    setWindowText(folder_, logic.folderField);
    const auto check = [](HWND box, bool on) {
        SendMessageA(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    check(desktop_, logic.desktopBox);
    check(startMenu_, logic.startMenuBox);
    check(runNow_, logic.runNowBox);
    check(releaseNotes_, logic.releaseNotesBox);
    // What a panel covers can no longer be reached, from the mouse or the keyboard.
    const bool covered = logic.completionPanelShown || logic.installingNoticeShown;
    for (HWND control : {folder_, browse_, desktop_, startMenu_, install_, quit_}) {
        EnableWindow(control, !covered);
        ShowWindow(control, covered ? SW_HIDE : SW_SHOW);
    }
    ShowWindow(notice_.handle(), logic.installingNoticeShown ? SW_SHOW : SW_HIDE);
    ShowWindow(completion_.handle(), logic.completionPanelShown ? SW_SHOW : SW_HIDE);
    if (logic.completionPanelShown) SetFocus(ok_);
    RedrawWindow(handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void InstallationView::formClose() {
    program_.installationScreen.FormClose();
}

void InstallationView::command(int id, int notification) {
    if (notification != BN_CLICKED) return;
    // Escape (IDCANCEL) does not close the installation screen: only Quit and OK do.
    switch (id) {
        case BrowseButton:
            return forward(&TForm1::BitBtn1Click);
        case InstallButton:
            return forward(&TForm1::BitBtn3Click);
        case QuitButton:
            return forward(&TForm1::BitBtn2Click);
        case CompletionOk:  // Enter on the completion panel's OK
            return forward(&TForm1::Button1Click);
        default:
            return;
    }
}

void InstallationView::paint(HDC dc) {
    RECT area{};
    GetClientRect(handle(), &area);
    paintBackground(dc, area);
    paintBanner(dc, box(10, 2, 331, 62));
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    drawText(dc, 53, 79, "Install to:", dialogFont(), text);
    drawText(dc, 135, 104, "Add Icon to Deskop", dialogFont(), text);
    drawText(dc, 135, 125, "Add Link to Start Menu", dialogFont(), text);
}

ChooserView::ChooserView(SetupProgram& program, HWND owner)
    : SetupDialog(program, owner, "ZintrelSetupChooser", "Choose Installation Directory", 303,
                  261),  // TForm3
      places_(addControl("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                         box(2, 3, 157, 200), DriveList)),
      directories_(addControl(
          "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
          box(0, 26, 297, 185), DirectoryList, WS_EX_CLIENTEDGE)),
      folder_(nullptr) {
    addControl("STATIC", "Install Directory:", SS_LEFT, box(4, 216, 80, 16), -1);
    folder_ = addControl("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, box(85, 214, 212, 21),
                         ChooserFolder, WS_EX_CLIENTEDGE);
    addControl("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, box(213, 239, 84, 20), ChooserOk);
}

void ChooserView::forward(const std::function<void(TForm3&)>& handler) {
    program_.dispatcher.run([&] { handler(program_.chooser); });
    if (visible()) showLogic();
}

LRESULT ChooserView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAfterClick) {
        const int line = static_cast<int>(wParam);
        forward([line](TForm3& form) { form.DirectoryListBox1Click(line); });
        return 0;
    }
    return SetupDialog::handleMessage(message, wParam, lParam);
}

void ChooserView::formShow() {
    forward([](TForm3& form) { form.FormShow(); });
}

void ChooserView::showLogic() {
    const TForm3& logic = program_.chooser;
    showing_ = true;
    SendMessageA(places_, CB_RESETCONTENT, 0, 0);
    for (const auto& place : logic.places)
        SendMessageA(places_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place.c_str()));
    SendMessageA(places_, CB_SETCURSEL, static_cast<WPARAM>(logic.placeIndex), 0);
    SendMessageA(directories_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(directories_, LB_RESETCONTENT, 0, 0);
    for (const auto& line : logic.directoryLines) {
        // Each level is indented under the one above it; open folders are marked.
        const std::string text = std::string(static_cast<std::size_t>(line.depth) * 3, ' ') +
                                 (line.open ? "- " : "+ ") + line.caption;
        SendMessageA(directories_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(directories_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(directories_, nullptr, TRUE);
    setWindowText(folder_, logic.folderField);
    showing_ = false;
}

void ChooserView::formClose() {
    program_.chooser.FormClose();
}

void ChooserView::command(int id, int notification) {
    if (id == DriveList && notification == CBN_SELCHANGE) {
        const int place = static_cast<int>(SendMessageA(places_, CB_GETCURSEL, 0, 0));
        forward([place](TForm3& form) { form.DriveComboBox1Change(place); });
    } else if (id == DirectoryList && notification == LBN_SELCHANGE) {
        // A click opens the line; moving through the list with the keys does
        // not. The list is refilled by the click: let the click finish first.
        if (!movedByKeys()) {
            const auto line = SendMessageA(directories_, LB_GETCURSEL, 0, 0);
            PostMessageA(handle(), kAfterClick, static_cast<WPARAM>(line), 0);
        }
    } else if (id == ChooserFolder && notification == EN_CHANGE) {
        if (!showing_) program_.chooser.folderField = windowText(folder_);
    } else if ((id == ChooserOk || id == IDOK) && notification == BN_CLICKED) {
        forward([](TForm3& form) { form.BitBtn1Click(); });
    } else if (id == IDCANCEL) {
        close();
    }
}

}  // namespace zn::setup::win32
