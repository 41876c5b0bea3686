// The bookmark list in a report-style list view: one item per row of the
// logic's list, its texts asked for as they are drawn, so the logic's list
// stays the only copy of the entries. The selection goes both ways.
#pragma once

#include <windows.h>
// The common controls' header needs the one above first.
#include <commctrl.h>

#include <cstddef>
#include <optional>

#include "app/bookmark_list.h"

namespace zn::win32 {

// The list view's column titles and widths.
inline constexpr const char* kListColumnTitles[] = {"Site", "Description", "User Name", "Password"};
inline constexpr int kListColumnWidths[] = {270, 235, 65, 62};

class BookmarkListView : private ListObserver {
public:
    // listView is a SysListView32 in report mode whose parent hands its
    // notifications to notify(). Adds the columns and the list's rows.
    BookmarkListView(HWND listView, BookmarkList& list);
    ~BookmarkListView() override;
    BookmarkListView(const BookmarkListView&) = delete;
    BookmarkListView& operator=(const BookmarkListView&) = delete;

    // A WM_NOTIFY from the list view: texts to draw and selection changes.
    void notify(const NMHDR& header);
    // The row the list view shows selected, if any.
    std::optional<std::size_t> viewSelection() const;

private:
    void beforeReset() override;
    void afterReset() override;
    void beforeInsert(std::size_t) override { listChanging_ = true; }
    void afterInsert(std::size_t row) override;
    void beforeRemove(std::size_t row) override;
    void afterRemove(std::size_t) override { listChanging_ = false; }
    void rowChanged(std::size_t row) override;
    void selectionChanged() override;

    void insertItem(std::size_t row);
    void giveText(NMLVDISPINFOA& info) const;
    void followViewSelection();

    HWND listView_;
    BookmarkList& list_;
    // Set while the list changes under the view or the view mirrors the
    // logic's selection: the list view's own notifications then are not the
    // user's choice and must not reach the logic.
    bool listChanging_ = false;
    bool mirroring_ = false;
};

}  // namespace zn::win32
