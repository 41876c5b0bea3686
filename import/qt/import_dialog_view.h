// The import dialog's window: two pages of check lists over a bottom bar with
// the removal box, "Import Now" and "Cancel". It shows what TwImport holds
// and forwards every click to it.
#pragma once

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "app/handler_dispatcher.h"
#include "import/import_dialog.h"
#include "import/qt/check_list_model.h"
#include "import/qt/folder_lookup_view.h"

namespace zn {

class ImportDialogView : public QDialog, private ImportDialogObserver {
    Q_OBJECT
public:
    ImportDialogView(TwImport& logic, const HandlerDispatcher& dispatcher, FolderPicker& picker,
                     QWidget* parent = nullptr);
    ~ImportDialogView() override;

    // Modal; true when closed with "Import Now". The removal box is handed
    // to the logic whichever way the dialog closed.
    bool run();

    QTabWidget* pages() const { return pages_; }
    QListView* favoritesList() const { return favorites_; }
    QListWidget* bookmarkFiles() const { return bookmarkFiles_; }
    QListView* addressList() const { return addresses_; }
    FolderLookupView* bookmarkFolder() const { return bookmarkFolder_; }
    QPushButton* findButton() const { return find_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildFavoritesPage();
    QWidget* buildBookmarkFilePage();
    QWidget* buildBottomBar();
    QPushButton* addButton(const char* name, const char* caption, void (TwImport::*handler)());
    struct Command {
        const char* name;
        void (TwImport::*handler)();
    };
    // A check list with its Select All and Deselect All buttons beside it.
    QListView* addCheckListRow(QWidget* page, QBoxLayout* layout, const char* name, ImportListId id,
                               Command selectAll, Command deselectAll, CheckListModel*& model);
    void run(const std::function<void()>& handler);
    void showBookmarkFiles();

    void lockUpdates(bool locked) override;
    void tickChanged(ImportListId list, std::size_t index) override;
    void listChanged(ImportListId list) override;
    void findRunning(bool running) override;

    TwImport& logic_;
    const HandlerDispatcher& dispatcher_;
    QTabWidget* pages_ = nullptr;
    FolderLookupView* favoritesFolder_ = nullptr;
    FolderLookupView* bookmarkFolder_ = nullptr;
    QListView* favorites_ = nullptr;
    QListView* addresses_ = nullptr;
    CheckListModel* favoritesModel_ = nullptr;
    CheckListModel* addressModel_ = nullptr;
    QListWidget* bookmarkFiles_ = nullptr;
    QPushButton* find_ = nullptr;
    QCheckBox* removeBox_ = nullptr;
    FolderPicker& picker_;
    bool shownOnce_ = false;
    // Set while the view mirrors a selection the logic made itself.
    bool mirroring_ = false;
};

}  // namespace zn
