// The tray icon's native menu: its items in order, and what each one does.
#include "desktop/win32/tray_menu.h"

#include <gtest/gtest.h>

#include "platform/win32/application_window.h"
#include "tests/fakes/fake_services.h"

namespace zn::testing {
namespace {

TEST(Win32TrayMenu, OpensCapturesAndQuits) {
    FakeServices fakes;
    FakeMainWindowView view;
    TForm1 form(fakes.services("C:\\znvault.exe"), view);
    view.attach(form);
    int captures = 0;
    form.setCaptureAction([&] { ++captures; });
    win32::ApplicationWindow mainWindow("Zintrel");
    int closeRequests = 0;
    mainWindow.onMessage(WM_CLOSE, [&](WPARAM, LPARAM) -> std::optional<LRESULT> {
        ++closeRequests;
        return 0;
    });
    win32::TrayMenu menu(form, mainWindow.handle(), mainWindow.handle());

    std::vector<std::string> captions;
    for (int position = 0; position < GetMenuItemCount(menu.menu()); ++position) {
        char caption[32] = {};
        GetMenuStringA(menu.menu(), UINT(position), caption, sizeof caption, MF_BYPOSITION);
        captions.emplace_back(caption);
        menu.choose(GetMenuItemID(menu.menu(), position));
        if (position == 0) {
            EXPECT_TRUE(view.visible);
            EXPECT_EQ(view.panel, Panel::Lock);
        }
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"&Open", "&Add Bookmark", "&Quit"}));
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(closeRequests, 1);
}

}  // namespace
}  // namespace zn::testing
