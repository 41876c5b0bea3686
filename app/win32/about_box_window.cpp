#include "app/win32/about_box_window.h"

#include <richedit.h>

namespace zn::win32 {
namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 330;

const char* const kQuickStart =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Tahoma;}}{\colortbl;\red18\green50\blue90;})"
    R"(\f0\fs18{\cf1\b\fs28 Thank you for choosing Zintrel!\par}\par )"
    R"(Zintrel keeps your web bookmarks, with the user names and passwords that belong to )"
    R"(them, behind your master password.\par\par )"
    R"({\b Zintrel runs hidden} every time Windows starts. Call it up with {\b Ctrl+Alt+P}, )"
    R"(and press Ctrl+Alt+P again to hide it.\par\par )"
    R"(Press {\b Ctrl+Alt+B} to add the site that Internet Explorer or Netscape is showing.\par\par )"
    R"(Click {\b Options} to change the hotkeys and other settings, {\b double click} a )"
    R"(bookmark to open it in your browser, and click {\b Hide} to hide Zintrel until you )"
    R"(need it again.\par})";

}  // namespace

AboutBoxWindow::AboutBoxWindow(TwAbout& logic, const HandlerDispatcher& dispatcher)
    : logic_(logic), dispatcher_(dispatcher), richEdit_(LoadLibraryA("riched20.dll")) {
    createDialog("ZintrelAboutBox", "Thanks for choosing Zintrel", kClientWidth, kClientHeight,
                 false, WS_POPUP | WS_CAPTION | WS_SYSMENU);
    HWND guide = addControl(
        RICHEDIT_CLASSA, "", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        RECT{10, 10, kClientWidth - 10, kClientHeight - 47}, kQuickStartGuide, WS_EX_CLIENTEDGE);
    SendMessageA(guide, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(6, 6));
    // A rich-text control reads a text that starts "{\rtf" as formatted text.
    SendMessageA(guide, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kQuickStart));
    addControl("BUTTON", "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
               RECT{kClientWidth - 90, kClientHeight - 35, kClientWidth - 10, kClientHeight - 10},
               IDOK);
}

AboutBoxWindow::~AboutBoxWindow() {
    // The control goes before its library does.
    if (HWND guide = control(kQuickStartGuide)) DestroyWindow(guide);
    if (richEdit_) FreeLibrary(richEdit_);
}

LRESULT AboutBoxWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (LOWORD(wParam) == IDOK) {
                dispatcher_.run([this] { logic_.BitBtn1Click(); });
                end(true);
            } else if (LOWORD(wParam) == IDCANCEL) {
                end(false);
            }
            return 0;
        case WM_CLOSE:
            end(false);
            return 0;
        default:
            break;
    }
    return ModalDialog::handleMessage(message, wParam, lParam);
}

void AboutBoxWindow::run() {
    runModal(GetDlgItem(handle(), IDOK));
}

}  // namespace zn::win32
