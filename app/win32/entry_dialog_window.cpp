#include "app/win32/entry_dialog_window.h"

namespace zn::win32 {
namespace {

constexpr const char* kHeading = "Bookmark details";
constexpr int kLeft = 14;
constexpr int kLineHeight = 15;
constexpr int kFieldHeight = 21;

}  // namespace

EntryDialogWindow::EntryDialogWindow() {
    createDialog("ZintrelEntryDialog", "", kEntryDialogWidth, kEntryDialogHeight, true,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU);
    HWND heading = addControl("STATIC", kHeading, SS_LEFT | SS_NOPREFIX, RECT{kLeft, 8, 260, 24},
                              kEntryHeading);
    headingFont_.applyTo(heading);
    int top = 30;
    top = addField(top, kSiteField, "Web Site Address:", nullptr, false);
    top = addField(top, kDescriptionField, "Site Description:", "(optional)", false);
    top = addField(top, kUserNameField, "User Name:", "(optional - if site requires a user name)",
                   true);
    top = addField(top, kEntryPasswordField,
                   "Password:", "(optional - if site requires a password)", true);

    const SIZE client = clientSize();
    const int buttonTop = client.cy - 33;
    const int middle = client.cx / 2;
    addControl("BUTTON", "OK", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
               RECT{middle - 82, buttonTop, middle - 4, buttonTop + 25}, IDOK);
    addControl("BUTTON", "Cancel", WS_TABSTOP,
               RECT{middle + 4, buttonTop, middle + 82, buttonTop + 25}, IDCANCEL);
}

int EntryDialogWindow::addField(int top, int id, const char* label, const char* note,
                                bool noteBelow) {
    const int noteId = kEntryNote + (id - kSiteField);
    if (!note) {
        addControl("STATIC", label, SS_LEFT | SS_NOPREFIX,
                   RECT{kLeft, top, kLeft + kEntryFieldWidth, top + kLineHeight}, 0);
    } else if (noteBelow) {
        addControl("STATIC", label, SS_LEFT | SS_NOPREFIX,
                   RECT{kLeft, top, kLeft + kEntryFieldWidth, top + kLineHeight}, 0);
        top += kLineHeight - 1;
        addControl("STATIC", note, SS_LEFT | SS_NOPREFIX,
                   RECT{kLeft, top, kLeft + kEntryFieldWidth, top + kLineHeight}, noteId);
    } else {
        addControl("STATIC", label, SS_LEFT | SS_NOPREFIX,
                   RECT{kLeft, top, kLeft + 90, top + kLineHeight}, 0);
        addControl("STATIC", note, SS_LEFT | SS_NOPREFIX,
                   RECT{kLeft + 90, top, kLeft + kEntryFieldWidth, top + kLineHeight}, noteId);
    }
    top += kLineHeight + 1;
    HWND field = addControl("EDIT", "", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                            RECT{kLeft, top, kLeft + kEntryFieldWidth, top + kFieldHeight}, id,
                            WS_EX_CLIENTEDGE);
    // No limit: the default one would silently cut a long address or password.
    SendMessageA(field, EM_SETLIMITTEXT, 0, 0);
    return top + kFieldHeight + 6;
}

LRESULT EntryDialogWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Enter presses OK, Esc Cancel, through the dialog manager.
            if (HIWORD(wParam) == BN_CLICKED &&
                (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                end(LOWORD(wParam) == IDOK);
                return 0;
            }
            break;
        case WM_CLOSE:
            end(false);
            return 0;
        case WM_CTLCOLORSTATIC: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (id >= kEntryNote && id < kEntryNote + 4) {
                // The notes are quieter than the labels.
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        default:
            break;
    }
    return ModalDialog::handleMessage(message, wParam, lParam);
}

void EntryDialogWindow::load(const TwAdd& logic) {
    setWindowText(handle(), logic.Caption);
    setWindowText(field(kSiteField), logic.Edit1);
    setWindowText(field(kDescriptionField), logic.Edit2);
    setWindowText(field(kUserNameField), logic.Edit3);
    setWindowText(field(kEntryPasswordField), logic.Edit4);
}

void EntryDialogWindow::store(TwAdd& logic) const {
    logic.Edit1 = windowText(field(kSiteField));
    logic.Edit2 = windowText(field(kDescriptionField));
    logic.Edit3 = windowText(field(kUserNameField));
    logic.Edit4 = windowText(field(kEntryPasswordField));
}

bool EntryDialogWindow::run(TwAdd& logic) {
    load(logic);
    if (!runModal(field(kSiteField))) return false;
    store(logic);
    return true;
}

}  // namespace zn::win32
