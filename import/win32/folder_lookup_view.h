// The folder field: an edit for the path and a browse button at its right
// end. The text lives in the TOrvFolderLookup; the view mirrors it.
#pragma once

#include <windows.h>

#include <functional>

#include "import/folder_lookup.h"

namespace zn::win32 {

class FolderLookupView {
public:
    // browse runs the field's Browse through the caller's dispatcher.
    FolderLookupView(TOrvFolderLookup& logic, HWND edit, HWND button, std::function<void()> browse);
    // The parent's WM_COMMAND for one of the field's two controls; true when handled.
    bool command(HWND control, WORD code);
    // Shows the logic's text and enabled states.
    void showLogic();

private:
    TOrvFolderLookup& logic_;
    HWND edit_;
    HWND button_;
    std::function<void()> browse_;
    // Set while the view writes the logic's text, which the edit reports back.
    bool mirroring_ = false;
};

}  // namespace zn::win32
