// The main window: the lock panel and the list panel in one top-level window.
// Both panels' controls are children of the window itself, so the dialog
// manager's Tab, Enter, Esc and mnemonics reach them; showing a panel shows
// its controls and hides the other's. The window shows what TForm1 holds and
// forwards every user action to it.
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "app/main_window.h"
#include "app/main_window_view.h"
#include "app/win32/bookmark_list_view.h"
#include "platform/win32/win32_window.h"

namespace zn::win32 {

// The controls' ids; the lock panel's OK and Cancel are the dialog manager's
// IDOK and IDCANCEL, so Enter and Esc press them.
enum MainWindowControl : int {
    kLockLabel = 100,
    kPasswordField,
    kListView = 200,
    kListNote,
    kAddButton = 210,  // BitBtn1
    kRemoveButton,     // BitBtn2
    kHideButton,       // BitBtn3
    kOptionsButton,    // BitBtn6
    kEditButton,       // BitBtn7
    kHelpButton,       // BitBtn8
    kImportButton,     // BitBtn10
    kOpenItem = 300,   // the list's context menu, PopupMenu2
    kAddItem,
    kEditItem,
    kRemoveItem,
    kCopyItem,
    kPasteItem,
    kImportItem,
};

class MainWindowFrame : public Window, public MainWindowView {
public:
    MainWindowFrame();
    ~MainWindowFrame() override;

    // The logic is made after the window, since it needs the window as its view.
    void attach(TForm1& form);
    // Lets go of the logic before it is destroyed: the list view watches its list.
    void detach();
    // Called when the window comes back from being minimised, as the tray
    // icon wants to know.
    void setRestoreHandler(std::function<void()> restored) { onRestored_ = std::move(restored); }

    ScreenSize screenSize() const override;
    void moveWindow(int left, int top) override;
    void resizeWindow(int width, int height) override;
    void setCaption(const std::string& caption) override;
    void showPanel(Panel panel) override;
    std::string passwordFieldText() const override;
    void clearPasswordField() override;
    void focusPasswordField() override;
    bool isWindowVisible() const override;
    void showWindow() override;
    void hideWindow() override;
    void setMinimized(bool minimized) override;
    void bringToFront() override;

    HWND listView() const { return control(kListView); }
    HWND passwordField() const { return control(kPasswordField); }
    HWND button(int id) const { return control(id); }
    HMENU listMenu() const { return listMenu_.get(); }
    Panel shownPanel() const { return panel_; }
    const BookmarkListView* listMirror() const { return listMirror_.get(); }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct MenuDeleter {
        void operator()(HMENU menu) const { DestroyMenu(menu); }
    };
    struct BitmapDeleter {
        void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
    };

    void buildLockPanel();
    void buildListPanel();
    void buildListMenu();
    void addHints();
    void layOut();
    void paintBanner(HDC dc) const;
    void run(const std::function<void()>& handler);
    void command(int id);
    void popUpListMenu(LPARAM where);
    // Shows the enabled states the logic decided.
    void mirrorCommandStates();
    void setFocusWhenActive(HWND target);

    TForm1* form_ = nullptr;
    std::unique_ptr<BookmarkListView> listMirror_;
    std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter> listMenu_;
    std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter> banner_;
    HWND hints_ = nullptr;  // the tool-tip control; a child of ours, destroyed with us
    std::vector<HWND> lockControls_;
    std::vector<HWND> listControls_;
    Panel panel_ = Panel::Lock;
    // The control that gets the focus whenever the window is activated.
    HWND focusTarget_ = nullptr;
    bool minimized_ = false;
    std::function<void()> onRestored_;
};

}  // namespace zn::win32
