#include "import/import_dialog.h"

#include "import/bookmark_file.h"
#include "platform/path_separator.h"

namespace zn {

std::string shortcutDisplayName(const std::string& path) {
    const std::size_t slash = path.find_last_of(kFolderEnds);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(name.size() >= 4 ? name.size() - 4 : 0);
    return name;
}

TwImport::TwImport(ImportServices services)
    : listbox1(services.collation),
      CheckListBox1(services.collation),
      OrvFileCollector1(services.ports.files, services.collation, services.ports.pump),
      OrvFileCollector2(services.ports.files, services.collation, services.ports.pump),
      services_(services) {
    OrvFolderLookup1.Enabled = false;
    OrvFolderLookup1.ButtonEnabled = false;
    OrvFolderLookup2.Text = services.ports.bookmarkFolder;
    OrvFileCollector1.FileMask = kShortcutMask;
    OrvFileCollector2.FileMask = kBookmarkFileMask;
}

void TwImport::FormCreate() {
    shown_ = false;
    // The dialog is not modal yet: the main window must not start another
    // import, or anything else, while the search lets messages through.
    const UserInputHold hold(services_.ports.pump);

    std::string folder;
    if (const auto key = services_.registry.openKey(RegRoot::CurrentUser, kFavoritesKeyPath, false))
        folder = key->readString(kFavoritesValue);  // never expanded
    OrvFolderLookup1.Text = folder;
    if (folder.empty()) return;
    if (folder.back() != kPathSeparator) OrvFolderLookup1.Text = folder + kPathSeparator;

    OrvFileCollector1.InitialDirectory = OrvFolderLookup1.Text;
    OrvFileCollector1.Collect();
    const auto& found = OrvFileCollector1.LocatedObjects;
    for (std::size_t i = 0; i < found.size(); ++i)
        listbox1.add(shortcutDisplayName(found[i]), static_cast<int>(i));
    listbox1.setSorted();
    changed(ImportListId::Favorites);
}

void TwImport::FormShow() {
    if (shown_) return;
    shown_ = true;
    BitBtn8Click();
    services_.ports.pump.processWaitingMessages();
    if (ListBox2.empty()) return;
    // Chosen here, not by the user: Load runs once, from here.
    ListBox2Selected = 0;
    changed(ImportListId::BookmarkFiles);
    BitBtn7Click();
}

void TwImport::BitBtn8Click() {
    // The search lets messages through: a second click on Find, or a new
    // folder, must wait until it ends, or two searches would fill one list.
    if (findRunning_) return;
    class Running {
    public:
        explicit Running(TwImport& dialog)
            : dialog_(dialog),
              fieldEnabled_(dialog.OrvFolderLookup2.Enabled),
              buttonEnabled_(dialog.OrvFolderLookup2.ButtonEnabled) {
            set(true, false, false);
        }
        ~Running() { set(false, fieldEnabled_, buttonEnabled_); }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        void set(bool running, bool fieldEnabled, bool buttonEnabled) {
            dialog_.findRunning_ = running;
            dialog_.OrvFolderLookup2.Enabled = fieldEnabled;
            dialog_.OrvFolderLookup2.ButtonEnabled = buttonEnabled;
            if (dialog_.observer_) dialog_.observer_->findRunning(running);
        }
        TwImport& dialog_;
        const bool fieldEnabled_;
        const bool buttonEnabled_;
    } running(*this);

    ListBox2.clear();
    ListBox2Selected.reset();
    changed(ImportListId::BookmarkFiles);
    // The addresses belonged to a file no longer chosen: "Import Now" must
    // not import them, nor skip their removal from it.
    CheckListBox1.clear();
    changed(ImportListId::Addresses);
    OrvFileCollector2.InitialDirectory = OrvFolderLookup2.Text;
    OrvFileCollector2.Collect();
    services_.ports.pump.processWaitingMessages();
    ListBox2 = OrvFileCollector2.LocatedObjects;
    changed(ImportListId::BookmarkFiles);
}

void TwImport::BitBtn7Click() {
    if (!ListBox2Selected) {
        services_.messages.show(MessageKind::Information, kNoBookmarkFileMessage,
                                MessageButtons::Ok);
        return;
    }
    CheckListBox1.clear();
    changed(ImportListId::Addresses);
    // The lines are looked at where they lie in the file's text: only the
    // addresses are copied, all into one block the list keeps.
    const std::string bytes = readWholeTextFile(services_.ports.files, ListBox2[*ListBox2Selected]);
    std::vector<CheckListItem> addresses;
    forEachTextLine(bytes, [&](std::string_view line) {
        if (const auto address = addressInLine(line)) addresses.push_back({*address, 0, false});
    });
    CheckListBox1.assign(std::move(addresses));
    CheckListBox1.setSorted();
    changed(ImportListId::Addresses);
}

void TwImport::ListBox2Click(std::size_t index) {
    if (index >= ListBox2.size()) return;
    ListBox2Selected = index;
    BitBtn7Click();
}

void TwImport::setTick(ImportListId list, std::size_t index, bool checked) {
    CheckList& items = list == ImportListId::Favorites ? listbox1 : CheckListBox1;
    if (index < items.size()) items.setChecked(index, checked);
}

void TwImport::setAllTicks(CheckList& list, ImportListId id, bool checked) {
    if (observer_) observer_->lockUpdates(true);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].checked == checked) continue;
        list.setChecked(i, checked);
        if (observer_) observer_->tickChanged(id, i);
    }
    if (observer_) observer_->lockUpdates(false);
}

std::string TwImport::shortcutPath(const CheckListItem& favorite) const {
    return OrvFileCollector1.LocatedObjects.at(static_cast<std::size_t>(favorite.data));
}

std::string TwImport::shortcutAddress(const CheckListItem& favorite) const {
    return services_.ports.files.readProfileString(shortcutPath(favorite), kShortcutSection,
                                                   kShortcutKey, "", kShortcutBufferSize);
}

std::vector<std::string> TwImport::tickedAddresses() const {
    std::vector<std::string> ticked;
    for (const auto& item : CheckListBox1.items())
        if (item.checked) ticked.emplace_back(item.text);
    return ticked;
}

void TwImport::removeTickedFromBookmarkFile() {
    const std::string& path = ListBox2.at(*ListBox2Selected);
    TextLines text = readTextFile(services_.ports.files, path);
    deleteAddressLines(text.lines, tickedAddresses());
    writeTextFile(services_.ports.files, path, text);
}

}  // namespace zn
