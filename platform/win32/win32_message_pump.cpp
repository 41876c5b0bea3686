#include "platform/win32/win32_message_pump.h"

#include <windows.h>

#include <array>

#include "platform/win32/win32_window.h"

namespace zn::win32 {
namespace {

struct MessageRange {
    UINT first;
    UINT last;
};

constexpr std::array<MessageRange, 1> kEveryMessage{{{0, 0}}};
// Every message but the keyboard's and the mouse's, on the client area and
// on the frame alike: a held click on a title bar's close box must wait too.
constexpr std::array<MessageRange, 4> kAllButInput{{
    {0, WM_NCMOUSEMOVE - 1},
    {WM_NCXBUTTONDBLCLK + 1, WM_KEYFIRST - 1},
    {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
    {WM_MOUSELAST + 1, 0xFFFFFFFF},
}};

}  // namespace

void Win32MessagePump::processWaitingMessages() {
    const auto handle = [](const auto& ranges) {
        for (const MessageRange& range : ranges) {
            MSG message{};
            while (PeekMessageA(&message, nullptr, range.first, range.last, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    // The program's own loop ends the program, not us.
                    PostQuitMessage(static_cast<int>(message.wParam));
                    return;
                }
                if (translateDialogMessage(message)) continue;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    };
    if (inputHolds_ > 0)
        handle(kAllButInput);
    else
        handle(kEveryMessage);
}

}  // namespace zn::win32
