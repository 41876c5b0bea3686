#include "import/win32/folder_lookup_view.h"

#include "platform/win32/win32_window.h"

namespace zn::win32 {

FolderLookupView::FolderLookupView(TOrvFolderLookup& logic, HWND edit, HWND button,
                                   std::function<void()> browse)
    : logic_(logic), edit_(edit), button_(button), browse_(std::move(browse)) {
    showLogic();
}

bool FolderLookupView::command(HWND control, WORD code) {
    if (control == edit_) {
        if (code == EN_CHANGE && !mirroring_) logic_.Text = windowText(edit_);
        return true;
    }
    if (control == button_) {
        if (code == BN_CLICKED) {
            browse_();
            showLogic();
        }
        return true;
    }
    return false;
}

void FolderLookupView::showLogic() {
    mirroring_ = true;
    if (windowText(edit_) != logic_.Text) setWindowText(edit_, logic_.Text);
    mirroring_ = false;
    EnableWindow(edit_, logic_.Enabled);
    EnableWindow(button_, logic_.ButtonEnabled);
}

}  // namespace zn::win32
