#include "app/win32/bookmark_list_view.h"

#include <algorithm>
#include <cstring>

namespace zn::win32 {

BookmarkListView::BookmarkListView(HWND listView, BookmarkList& list)
    : listView_(listView), list_(list) {
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNA title{};
        title.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        title.pszText = const_cast<char*>(kListColumnTitles[column]);
        title.cx = kListColumnWidths[column];
        title.iSubItem = column;
        SendMessageA(listView_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&title));
    }
    afterReset();
    selectionChanged();
    list_.setObserver(this);
}

BookmarkListView::~BookmarkListView() {
    list_.setObserver(nullptr);
}

void BookmarkListView::insertItem(std::size_t row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(listView_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    // The sub-items too are drawn from the list, never copied into the control.
    for (int column = 1; column < 4; ++column) {
        item.iSubItem = column;
        SendMessageA(listView_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

void BookmarkListView::beforeReset() {
    listChanging_ = true;
    SendMessageA(listView_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listView_, LVM_DELETEALLITEMS, 0, 0);
}

void BookmarkListView::afterReset() {
    listChanging_ = true;
    SendMessageA(listView_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listView_, LVM_SETITEMCOUNT, list_.size(), 0);
    for (std::size_t row = 0; row < list_.size(); ++row) insertItem(row);
    SendMessageA(listView_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView_, nullptr, TRUE);
    listChanging_ = false;
}

void BookmarkListView::afterInsert(std::size_t row) {
    insertItem(row);
    listChanging_ = false;
}

void BookmarkListView::beforeRemove(std::size_t row) {
    listChanging_ = true;
    SendMessageA(listView_, LVM_DELETEITEM, row, 0);
}

void BookmarkListView::rowChanged(std::size_t row) {
    SendMessageA(listView_, LVM_REDRAWITEMS, row, row);
}

void BookmarkListView::selectionChanged() {
    mirroring_ = true;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (const auto selected = list_.selected()) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(listView_, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&state));
        SendMessageA(listView_, LVM_ENSUREVISIBLE, *selected, FALSE);
    } else {
        // The item index -1 stands for every item.
        state.stateMask = LVIS_SELECTED;
        SendMessageA(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
    }
    mirroring_ = false;
}

std::optional<std::size_t> BookmarkListView::viewSelection() const {
    const LRESULT row =
        SendMessageA(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0) return std::nullopt;
    return static_cast<std::size_t>(row);
}

void BookmarkListView::followViewSelection() {
    if (listChanging_ || mirroring_) return;
    const auto row = viewSelection();
    if (list_.selected() != row) list_.select(row);
}

void BookmarkListView::giveText(NMLVDISPINFOA& info) const {
    LVITEMA& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= list_.size()) {
        item.pszText[0] = '\0';
        return;
    }
    const BookmarkEntry& entry = list_.at(static_cast<std::size_t>(item.iItem));
    const std::string* texts[] = {&entry.site, &entry.description, &entry.userName,
                                  &entry.password};
    const std::string& text = *texts[std::clamp(item.iSubItem, 0, 3)];
    // Only what fits is drawn; the control's buffer holds cchTextMax bytes.
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::memcpy(item.pszText, text.data(), length);
    item.pszText[length] = '\0';
}

void BookmarkListView::notify(const NMHDR& header) {
    if (header.hwndFrom != listView_) return;
    if (header.code == LVN_GETDISPINFOA) {
        giveText(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
    } else if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) &&
            ((change.uOldState ^ change.uNewState) & LVIS_SELECTED))
            followViewSelection();
    }
}

}  // namespace zn::win32
