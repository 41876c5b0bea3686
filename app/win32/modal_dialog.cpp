#include "app/win32/modal_dialog.h"

#include "platform/win32/win32_services.h"

namespace zn::win32 {

void ModalDialog::createDialog(const char* className, const std::string& caption, int width,
                               int height, bool outer, DWORD style) {
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds{0, 0, width, height};
    if (!outer) AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    bounds = RECT{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    create(className, caption, style, exStyle, bounds, nullptr);
}

SIZE ModalDialog::clientSize() const {
    RECT client{};
    GetClientRect(handle(), &client);
    return SIZE{client.right, client.bottom};
}

void ModalDialog::end(bool accepted) {
    ended_ = true;
    accepted_ = accepted;
}

bool ModalDialog::runModal(HWND focus) {
    // Owned by the active window, so it stays above it while that one waits.
    HWND owner = messageOwner();
    if (owner == handle()) owner = nullptr;
    SetWindowLongPtrA(handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    ended_ = false;
    accepted_ = false;
    running_ = true;
    centreOnScreen(handle());
    ShowWindow(handle(), SW_SHOW);
    SetForegroundWindow(handle());
    if (focus) SetFocus(focus);
    runModalLoop(handle(), owner, [this] { return ended_; });
    running_ = false;
    return ended_ && accepted_;
}

HeadingFont::HeadingFont(bool underline) {
    LOGFONTA description{};
    GetObjectA(dialogFont(), sizeof description, &description);
    description.lfWeight = FW_BOLD;
    description.lfUnderline = underline ? TRUE : FALSE;
    font_ = CreateFontIndirectA(&description);
}

HeadingFont::~HeadingFont() {
    if (font_) DeleteObject(font_);
}

void HeadingFont::applyTo(HWND control) const {
    if (font_) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

}  // namespace zn::win32
