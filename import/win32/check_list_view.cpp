#include "import/win32/check_list_view.h"

#include <cstring>

namespace zn::win32 {
namespace {

constexpr UINT kUnticked = 1;  // state image indexes of the check boxes
constexpr UINT kTicked = 2;

}  // namespace

CheckListView::CheckListView(HWND list, const CheckList& items,
                             std::function<void(std::size_t, bool)> userTicked)
    : list_(list), items_(items), userTicked_(std::move(userTicked)) {
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list_, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

bool CheckListView::notify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_) return false;
    if (header.code == LVN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMLVDISPINFOA&>(const_cast<NMHDR&>(header));
        const auto index = static_cast<std::size_t>(info.item.iItem);
        if ((info.item.mask & LVIF_TEXT) && index < items_.size() && info.item.cchTextMax > 0) {
            const std::string& text = items_[index].text;
            const std::size_t length =
                std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
            std::memcpy(info.item.pszText, text.data(), length);
            info.item.pszText[length] = '\0';
        }
        result = 0;
        return true;
    }
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const UINT image = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
        const bool tickMoved = (change.uChanged & LVIF_STATE) &&
                               ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
        const auto index = static_cast<std::size_t>(change.iItem);
        if (!mirroring_ && tickMoved && change.iItem >= 0 && index < items_.size() &&
            (image == kUnticked || image == kTicked) && items_[index].checked != (image == kTicked))
            userTicked_(index, image == kTicked);
        result = 0;
        return true;
    }
    return false;
}

void CheckListView::reload() {
    mirroring_ = true;
    // Drawn once, when all the items are in.
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    ListView_SetItemCount(list_, static_cast<int>(items_.size()));
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = LPSTR_TEXTCALLBACKA;
    for (std::size_t index = 0; index < items_.size(); ++index) {
        item.iItem = static_cast<int>(index);
        SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (items_[index].checked) showTick(index);
    }
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    mirroring_ = false;
}

void CheckListView::tickChanged(std::size_t index) {
    mirroring_ = true;
    showTick(index);
    mirroring_ = false;
}

void CheckListView::showTick(std::size_t index) {
    if (index >= items_.size()) return;
    ListView_SetItemState(list_, static_cast<int>(index),
                          INDEXTOSTATEIMAGEMASK(items_[index].checked ? kTicked : kUnticked),
                          LVIS_STATEIMAGEMASK);
}

}  // namespace zn::win32
