// A check list of the import dialog as a list view with check boxes. The
// items' texts stay in the logic: the control asks for each as it paints it.
// A tick the user sets goes to the logic; the logic's changes come back as
// reloads and single-item updates.
#pragma once

// The system headers need windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstddef>
#include <functional>

#include "import/check_list.h"

namespace zn::win32 {

class CheckListView {
public:
    CheckListView(HWND list, const CheckList& items,
                  std::function<void(std::size_t, bool)> userTicked);

    HWND handle() const { return list_; }
    // The control's notifications, from the parent's WM_NOTIFY; true when handled.
    bool notify(const NMHDR& header, LRESULT& result);
    // The logic replaced or reordered the items.
    void reload();
    void tickChanged(std::size_t index);

private:
    void showTick(std::size_t index);

    HWND list_;
    const CheckList& items_;
    std::function<void(std::size_t, bool)> userTicked_;
    // Set while the view itself sets ticks, which the control reports back.
    bool mirroring_ = false;
};

}  // namespace zn::win32
