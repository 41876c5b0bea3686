// The notification area over the shell: the record it is given and the mouse
// messages that come back.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/system_tray.h"
#include "platform/win32/win32_tray_icon.h"

namespace zn::testing {
namespace {

using win32::Win32TrayIcon;

TEST(Win32TrayIcon, GivesTheShellTheFirstVersionOfItsRecord) {
    // The 32-bit record is 88 bytes; 64-bit handles widen the same fields.
    EXPECT_EQ(win32::kNotifyRecordSize, sizeof(void*) == 4 ? 88u : 104u);
    win32::ApplicationWindow window("Zintrel");
    const Win32TrayIcon tray(window);

    const NOTIFYICONDATAA record = tray.record(std::string(70, 'x'));
    EXPECT_EQ(record.cbSize, win32::kNotifyRecordSize);
    EXPECT_EQ(record.hWnd, window.handle());
    EXPECT_EQ(record.uID, 0u);
    EXPECT_EQ(record.uCallbackMessage, 1025u);
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_EQ(record.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(std::string(record.szTip), std::string(63, 'x'));
    EXPECT_EQ(tray.record("").uFlags, UINT(NIF_MESSAGE | NIF_ICON));
}

TEST(Win32TrayIcon, PassesMouseActionsOnTheIconToItsHandler) {
    win32::ApplicationWindow window("Zintrel");
    Win32TrayIcon tray(window);
    std::vector<TrayMouseMessage> received;
    tray.setNotificationHandler([&](TrayMouseMessage message) { received.push_back(message); });
    for (const UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MOUSEMOVE})
        SendMessageA(window.handle(), win32::kTrayCallbackMessage, 0, mouse);
    EXPECT_EQ(received,
              (std::vector{TrayMouseMessage::LeftButtonUp, TrayMouseMessage::LeftButtonDoubleClick,
                           TrayMouseMessage::RightButtonUp, TrayMouseMessage::Other}));
    EXPECT_FALSE(tray.applicationWindowVisible());
}

TEST(Win32TrayIcon, WithoutATaskBarTheIconIsRefusedAndItsArrivalIsTold) {
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), nullptr) << "this prefix runs a task bar";
    win32::ApplicationWindow window("Zintrel");
    Win32TrayIcon area(window);
    int arrivals = 0;
    area.setArrivalHandler([&] { ++arrivals; });
    {
        TOrvSystemTray tray(area, "Zintrel");
        tray.setNormalIcon(true);
        try {
            tray.setEnabled(true);
            FAIL() << "an icon with no task bar to show it";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), kTrayRefusedMessage);
        }
    }
    area.setArrivalHandler([&] { ++arrivals; });
    SendMessageA(window.handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(arrivals, 1);
}

}  // namespace
}  // namespace zn::testing
