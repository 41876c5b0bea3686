// The main window's side of the import: opening the dialog and applying what
// was ticked, favorites first, then the bookmark file's addresses, then one
// save, then the removal from the browser. Also the first-run offer.
#include "app/main_window.h"
#include "import/import_dialog.h"
#include "import/known_sites.h"
#include "vault/record.h"

namespace zn {

void TForm1::setImportPorts(ImportPorts ports) {
    importPorts_ = std::make_unique<ImportPorts>(std::move(ports));
}

void TForm1::BitBtn10Click() {
    if (!importPorts_) return;
    TwImport dialog(
        ImportServices{services_.registry, services_.messages, services_.collation, *importPorts_});
    // A failure of the favorites search is shown, and the dialog opens all the same.
    dispatcher_.run([&] { dialog.FormCreate(); });
    if (!importPorts_->dialogs.runImportDialog(dialog)) return;

    // Every ticked item, made safe to store, is compared with the list and
    // with the rows made before it; the new rows join the list at once, in
    // the order made.
    KnownSites known(list_, services_.collation);
    std::vector<BookmarkEntry> added;
    std::vector<std::string> importedShortcuts;
    for (const CheckListItem& favorite : dialog.listbox1.items()) {
        if (!favorite.checked) continue;
        BookmarkEntry entry = entryFromOutside(dialog.shortcutAddress(favorite), favorite.text);
        if (!entry.site.empty() && known.addIfNew(entry.site)) added.push_back(std::move(entry));
        // Deleted whether or not it made a row.
        if (dialog.CheckBox1) importedShortcuts.push_back(dialog.shortcutPath(favorite));
    }
    for (const CheckListItem& item : dialog.CheckListBox1.items()) {
        if (!item.checked) continue;
        // The file's own text stays for the removal, which matches it exactly.
        BookmarkEntry entry = entryFromOutside(item.text, item.text);
        if (known.addIfNew(entry.site)) added.push_back(std::move(entry));
    }
    list_.addAll(std::move(added));
    // Stored before anything they came from is deleted: a crash, a kill or a
    // failed rewrite from here on loses no bookmark.
    saveAllEntries();
    for (const std::string& path : importedShortcuts)
        dialog.files().deleteFile(path);  // a failure is not reported
    if (dialog.CheckBox1 && dialog.ListBox2Selected) dialog.removeTickedFromBookmarkFile();
}

void TForm1::offerImport() {
    if (!importPorts_) return;  // a build without the import has nothing to offer
    importPorts_->pump.processWaitingMessages();
    if (services_.messages.show(MessageKind::Confirm, kImportOfferQuestion,
                                MessageButtons::YesNo) == MessageAnswer::Yes)
        BitBtn10Click();
}

}  // namespace zn
