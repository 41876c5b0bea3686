// The tray icon's menu, PopupMenu1: "&Open", "&Add Bookmark" and "&Quit",
// forwarded to the main window's logic.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "app/main_window.h"
#include "platform/tray_icon.h"

namespace zn::win32 {

class TrayMenu : public PopupMenu {
public:
    enum ItemId : UINT { Activate1 = 1, AddBookmark1, Quit1 };

    // owner receives the menu's messages (the application window); "&Quit"
    // closes mainWindow, which asks the logic whether it may.
    TrayMenu(TForm1& form, HWND owner, HWND mainWindow);
    void popUp(ScreenPoint at) override;
    // What choosing an item does; popUp calls it with the item picked.
    void choose(UINT item);

    HMENU menu() const { return menu_.get(); }

private:
    struct MenuDeleter {
        void operator()(HMENU menu) const { DestroyMenu(menu); }
    };

    TForm1& form_;
    HWND owner_;
    HWND mainWindow_;
    std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter> menu_;
};

}  // namespace zn::win32
