// Puts the tray icon into the desktop's notification area with its menu, to
// look at under Wine: each menu choice and mouse action is printed; "&Quit"
// ends it.
#include <cstdio>

#include "desktop/system_tray.h"
#include "desktop/win32/tray_menu.h"
#include "platform/win32/win32_tray_icon.h"
#include "tests/fakes/fake_services.h"

namespace {

class QuitOnClose : public zn::win32::ApplicationWindow {
public:
    QuitOnClose() : ApplicationWindow("Zintrel") {
        onMessage(WM_CLOSE, [](WPARAM, LPARAM) -> std::optional<LRESULT> {
            std::puts("Quit");
            PostQuitMessage(0);
            return 0;
        });
    }
};

}  // namespace

int main() {
    using namespace zn;
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it happens
    testing::FakeServices services;
    testing::FakeMainWindowView view;
    TForm1 form(services.services("C:\\znvault.exe"), view);
    QuitOnClose window;
    win32::Win32TrayIcon area(window);
    TOrvSystemTray tray(area, "Zintrel");
    win32::TrayMenu menu(form, window.handle(), window.handle());
    tray.setHint("Zintrel");
    tray.setNormalIcon(true);
    tray.setPopupMenu(&menu);
    tray.OnDblClick = [] { std::puts("double click"); };
    std::printf("shell capable: %d\n", area.shellCapable());
    tray.setEnabled(true);
    std::printf("icon shown: %d\n", tray.iconShown());
    std::fflush(stdout);
    return win32::runMessageLoop();
}
