#include "import/win32/check_list_view.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zn::win32 {
namespace {

constexpr UINT kUnticked = 1;  // state image indexes of the check boxes
constexpr UINT kTicked = 2;

}  // namespace

CheckListView::CheckListView(HWND list, const CheckList& items,
                             std::function<void(std::size_t, bool)> userTicked)
    : list_(list), items_(items), userTicked_(std::move(userTicked)) {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    // The check boxes' states come from the logic, as the texts do.
    ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
    RECT client{};
    GetClientRect(list_, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

bool CheckListView::notify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_) return false;
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOA: {
            LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(const_cast<NMHDR&>(header)).item;
            const auto index = static_cast<std::size_t>(item.iItem);
            if (index >= items_.size()) return true;
            if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
                const std::string_view text = items_[index].text;
                const std::size_t length =
                    std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
                std::memcpy(item.pszText, text.data(), length);
                item.pszText[length] = '\0';
            }
            if (item.mask & LVIF_STATE) {
                item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                             INDEXTOSTATEIMAGEMASK(items_[index].checked ? kTicked : kUnticked);
                item.stateMask |= LVIS_STATEIMAGEMASK;
            }
            return true;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const UINT image = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
            if (change.iItem < 0 || !(change.uChanged & LVIF_STATE) ||
                !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) ||
                (image != kUnticked && image != kTicked))
                return true;
            const auto index = static_cast<std::size_t>(change.iItem);
            changedByControl_ = index;
            tick(index, image == kTicked);
            return true;
        }
        case NM_CLICK: {
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
            LVHITTESTINFO hit{};
            hit.pt = click.ptAction;
            const int row = ListView_SubItemHitTest(list_, &hit);
            const auto index = static_cast<std::size_t>(row);
            const bool changedAlready = changedByControl_ == index;
            changedByControl_.reset();
            if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && !changedAlready &&
                index < items_.size())
                tick(index, !items_[index].checked);
            return true;
        }
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            changedByControl_.reset();
            const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
            if (key.wVKey != VK_SPACE || row < 0 || static_cast<std::size_t>(row) >= items_.size())
                return true;
            keyTick_ = {static_cast<std::size_t>(row),
                        items_[static_cast<std::size_t>(row)].checked};
            PostMessageA(GetParent(list_), kFinishKeyTick, 0, reinterpret_cast<LPARAM>(list_));
            return true;
        }
        default:
            return false;
    }
}

void CheckListView::finishKeyTick() {
    const auto pending = std::exchange(keyTick_, std::nullopt);
    // Toggled only when the control did not toggle it while handling the key.
    if (pending && pending->first < items_.size() &&
        items_[pending->first].checked == pending->second)
        tick(pending->first, !pending->second);
}

void CheckListView::tick(std::size_t index, bool checked) {
    if (index >= items_.size() || items_[index].checked == checked) return;
    userTicked_(index, checked);
    ListView_RedrawItems(list_, static_cast<int>(index), static_cast<int>(index));
}

void CheckListView::reload() {
    changedByControl_.reset();
    keyTick_.reset();
    ListView_SetItemCountEx(list_, static_cast<int>(items_.size()), 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void CheckListView::tickChanged(std::size_t index) {
    ListView_RedrawItems(list_, static_cast<int>(index), static_cast<int>(index));
}

}  // namespace zn::win32
