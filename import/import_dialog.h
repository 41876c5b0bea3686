// TwImport: the import dialog's logic. The favorites page lists the Internet
// shortcuts below the favorites folder, found when the dialog is made; the
// bookmark-file page finds a browser's bookmark files below a folder and
// lists the addresses of the chosen one. What the user ticks is applied by
// the main window's import action after the dialog closed with "Import Now".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "import/check_list.h"
#include "import/file_collector.h"
#include "import/folder_lookup.h"
#include "import/import_ports.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "platform/text_collation.h"

namespace zn {

inline constexpr const char* kFavoritesKeyPath =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr const char* kFavoritesValue = "Favorites";
inline constexpr const char* kShortcutMask = "*.URL";
inline constexpr const char* kBookmarkFileMask = "Bookmark.htm";
inline constexpr const char* kShortcutSection = "InternetShortcut";
inline constexpr const char* kShortcutKey = "URL";
inline constexpr std::size_t kShortcutBufferSize = 1024;
inline constexpr const char* kNoBookmarkFileMessage =
    "There is no bookmark file selected. You must first select a bookmark file, then click the "
    "Load button.";

// A shortcut file's name without its folder and without its extension's
// four characters.
std::string shortcutDisplayName(const std::string& path);

enum class ImportListId { Favorites, BookmarkFiles, Addresses };

// Lets the dialog's window follow the logic.
class ImportDialogObserver {
public:
    virtual ~ImportDialogObserver() = default;
    // The window-update lock around a run of tick changes.
    virtual void lockUpdates(bool /*locked*/) {}
    virtual void tickChanged(ImportListId /*list*/, std::size_t /*index*/) {}
    // Items were added, removed, replaced or reordered; the selection may have moved.
    virtual void listChanged(ImportListId /*list*/) {}
    // Find started or ended: Find and the folder field take no input meanwhile.
    virtual void findRunning(bool /*running*/) {}
};

struct ImportServices {
    Registry& registry;
    MessageBoxes& messages;
    const TextCollation& collation;
    ImportPorts& ports;
};

class TwImport {
public:
    explicit TwImport(ImportServices services);
    TwImport(const TwImport&) = delete;
    TwImport& operator=(const TwImport&) = delete;

    void setObserver(ImportDialogObserver* observer) { observer_ = observer; }

    // The controls the logic keeps; the window shows them.
    TOrvFolderLookup OrvFolderLookup1;  // the favorites folder, read-only
    CheckList listbox1;                 // favorites; each item's data is its file's position
    TOrvFolderLookup OrvFolderLookup2;  // the folder searched for bookmark files
    std::vector<std::string> ListBox2;  // the bookmark files found
    std::optional<std::size_t> ListBox2Selected;
    CheckList CheckListBox1;  // the chosen bookmark file's addresses
    bool CheckBox1 = false;   // remove from the browser after importing
    TOrvFileCollector OrvFileCollector1;
    TOrvFileCollector OrvFileCollector2;

    // Made: the favorites search. Shown: the first search of bookmark files.
    void FormCreate();
    void FormShow();
    void BitBtn3Click() { setAllTicks(listbox1, ImportListId::Favorites, true); }
    void BitBtn4Click() { setAllTicks(listbox1, ImportListId::Favorites, false); }
    void BitBtn5Click() { setAllTicks(CheckListBox1, ImportListId::Addresses, true); }
    void BitBtn6Click() { setAllTicks(CheckListBox1, ImportListId::Addresses, false); }
    void BitBtn7Click();  // Load
    void BitBtn8Click();  // Find; refused while a search runs
    bool findRunning() const { return findRunning_; }
    // The user selected a bookmark file (mouse or keyboard).
    void ListBox2Click(std::size_t index);
    // The user ticked or cleared one item.
    void setTick(ImportListId list, std::size_t index, bool checked);

    // Read by the import action once the dialog closed with "Import Now".
    std::string shortcutPath(const CheckListItem& favorite) const;
    std::string shortcutAddress(const CheckListItem& favorite) const;
    std::vector<std::string> tickedAddresses() const;
    // Deletes the ticked addresses' lines from the chosen bookmark file, read
    // afresh; raises "Cannot open file %s" or "Cannot create file %s".
    void removeTickedFromBookmarkFile();
    FileSystem& files() { return services_.ports.files; }

private:
    void setAllTicks(CheckList& list, ImportListId id, bool checked);
    void changed(ImportListId list) {
        if (observer_) observer_->listChanged(list);
    }

    ImportServices services_;
    ImportDialogObserver* observer_ = nullptr;
    bool shown_ = false;
    bool findRunning_ = false;
};

}  // namespace zn
