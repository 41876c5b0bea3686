#include "platform/win32/escape_answers_no.h"

namespace zn::win32 {

EscapeAnswersNo::EscapeAnswersNo()
    : hook_(SetWindowsHookExA(WH_MSGFILTER, filter, nullptr, GetCurrentThreadId())) {}

EscapeAnswersNo::~EscapeAnswersNo() {
    if (hook_) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK EscapeAnswersNo::filter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            // The key goes to the focused button; the box is its top-level window.
            const HWND box = GetAncestor(message.hwnd, GA_ROOT);
            const HWND no = box ? GetDlgItem(box, IDNO) : nullptr;
            // A box with a Cancel button answers Esc itself.
            if (no && IsWindowEnabled(no) && !GetDlgItem(box, IDCANCEL)) {
                SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                             reinterpret_cast<LPARAM>(no));
                return TRUE;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace zn::win32
