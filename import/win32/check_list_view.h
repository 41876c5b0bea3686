// A check list of the import dialog as a virtual list view with check boxes,
// so that a bookmark file of a hundred thousand addresses makes no item in
// the control: the texts and ticks stay in the logic, and the control asks for
// the rows it paints. A tick the user sets goes to the logic; the logic's
// changes come back as reloads and single-row repaints.
#pragma once

// The system headers need windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstddef>
#include <functional>
#include <optional>

#include "import/check_list.h"

namespace zn::win32 {

class CheckListView {
public:
    // The list view must have LVS_OWNERDATA. The parent hands kFinishKeyTick
    // back to finishKeyTick.
    CheckListView(HWND list, const CheckList& items,
                  std::function<void(std::size_t, bool)> userTicked);

    static constexpr UINT kFinishKeyTick = WM_APP + 20;

    HWND handle() const { return list_; }
    // The control's notifications, from the parent's WM_NOTIFY; true when handled.
    bool notify(const NMHDR& header, LRESULT& result);
    void finishKeyTick();
    // The logic replaced or reordered the items.
    void reload();
    void tickChanged(std::size_t index);

private:
    void tick(std::size_t index, bool checked);

    HWND list_;
    const CheckList& items_;
    std::function<void(std::size_t, bool)> userTicked_;
    // A virtual list keeps no ticks: some versions of the control report a
    // click or Space on a check box as a state change, others only as the
    // click or key. The row the control changed itself is not toggled again
    // by its click; Space is looked at once the control has handled it.
    std::optional<std::size_t> changedByControl_;
    std::optional<std::pair<std::size_t, bool>> keyTick_;
};

}  // namespace zn::win32
