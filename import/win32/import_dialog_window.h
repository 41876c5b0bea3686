// The import dialog's native window: two tab pages of check lists over a
// bottom bar with the removal box, "Import Now" and "Cancel". It shows what
// TwImport holds and forwards every click to it.
#pragma once

// The system headers need windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>
#include <optional>
#include <vector>

#include "app/handler_dispatcher.h"
#include "import/import_dialog.h"
#include "import/win32/check_list_view.h"
#include "import/win32/folder_lookup_view.h"
#include "platform/win32/win32_window.h"

namespace zn::win32 {

class ImportDialogWindow : public Window, private ImportDialogObserver {
public:
    // The controls' ids, named as the controls are; "Import Now" and "Cancel"
    // are the dialog ids Enter and Esc press.
    enum ControlId : int {
        PageControl1 = 101,
        Label1,
        OrvFolderLookup1,
        OrvFolderLookup1Browse,
        listbox1,
        BitBtn3,
        BitBtn4,
        Label2,
        OrvFolderLookup2,
        OrvFolderLookup2Browse,
        BitBtn8,
        Label3,
        ListBox2,
        Label4,
        CheckListBox1,
        BitBtn5,
        BitBtn6,
        BitBtn7,
        Panel1,
        CheckBox1,
        BitBtn1 = IDOK,
        BitBtn2 = IDCANCEL,
    };

    ImportDialogWindow(TwImport& logic, const HandlerDispatcher& dispatcher, FolderPicker& picker,
                       HWND owner);
    ~ImportDialogWindow() override;

    // Modal over owner; true when closed with "Import Now". The removal box
    // is handed to the logic whichever way the dialog closed.
    bool run(HWND owner);

    HWND item(int id) const { return control(id); }
    // Shows the page (0: favorites, 1: bookmark file), as a click on its tab does.
    void showPage(int page);

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Command {
        ControlId id;
        void (TwImport::*handler)();
    };
    void addControls();
    void addFavoritesPage(RECT page);
    void addBookmarkFilePage(RECT page);
    void addBottomBar(RECT client);
    HWND addPageControl(int page, const char* controlClass, const char* text, DWORD style,
                        RECT bounds, int id, DWORD exStyle = 0);
    // A check list with its Select All and Deselect All buttons beside it.
    std::unique_ptr<CheckListView> addCheckListRow(int page, RECT bounds, ControlId id,
                                                   ImportListId list, Command selectAll,
                                                   Command deselectAll);
    void addTooltip(HWND control, const char* text);
    void command(HWND control, int id, WORD code);
    void run(const std::function<void()>& handler);
    void showBookmarkFiles();

    void lockUpdates(bool locked) override;
    void tickChanged(ImportListId list, std::size_t index) override;
    void listChanged(ImportListId list) override;
    void findRunning(bool running) override;

    TwImport& logic_;
    const HandlerDispatcher& dispatcher_;
    FolderPicker& picker_;
    HWND tooltips_ = nullptr;
    std::vector<HWND> pageControls_[2];
    std::unique_ptr<FolderLookupView> favoritesFolder_;
    std::unique_ptr<FolderLookupView> bookmarkFolder_;
    std::unique_ptr<CheckListView> favorites_;
    std::unique_ptr<CheckListView> addresses_;
    std::vector<Command> commands_;
    std::optional<bool> endedWithImport_;
    bool shownOnce_ = false;
    // Set while the view mirrors a selection the logic made itself.
    bool mirroring_ = false;
};

}  // namespace zn::win32
