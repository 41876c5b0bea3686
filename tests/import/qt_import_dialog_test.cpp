// The import window's wiring, offscreen: its pages and controls with their
// texts, the first showing that finds and loads the bookmark file, and the
// clicks and ticks that reach the logic.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "import/qt/import_dialog_view.h"
#include "tests/fakes/fake_import.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/qt_application_test.h"
#include "tests/import/import_test_support.h"

namespace zn::testing {
namespace {

class ImportView : public QtApplicationTest {
protected:
    void SetUp() override {
        writeFile(root / "Favorites/b.url", shortcutText("http://b/"));
        writeFile(root / "Favorites/A.url", shortcutText("http://a/"));
        writeFile(root / "netscape/1/Bookmark.htm", "<DT><A HREF=\"http://one/\">1</A>\n");
        writeFile(root / "netscape/2/Bookmark.htm",
                  "<DT><A HREF=\"http://two/\">2</A>\n<DT><A HREF=\"http://Three/\">3</A>\n");
        registry.setValue(RegRoot::CurrentUser, kFavoritesKeyPath, kFavoritesValue,
                          {RegType::String, (root / "Favorites").string() + '\0'});
        logic.FormCreate();
    }
    // Shows the window, lets its first showing run, then acts and closes it.
    bool runWith(const std::function<void(ImportDialogView&)>& act, const char* button) {
        ImportDialogView view(logic, dispatcher, picker);
        QTimer::singleShot(0, &view, [&] {
            QApplication::processEvents();
            act(view);
            view.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        return view.run();
    }
    static QString text(const QAbstractItemView* list, int row) {
        return list->model()->index(row, 0).data().toString();
    }

    TempFolder root;
    FakeRegistry registry;
    FakeMessageBoxes messages;
    ByteCollation collation;
    TestFileSystem files;
    CountingPump pump;
    ScriptedFolderPicker picker;
    ScriptedImportDialogs dialogs;
    ImportPorts ports{files, pump, picker, dialogs, (root / "netscape").string()};
    TwImport logic{{registry, messages, collation, ports}};
    HandlerDispatcher dispatcher{messages};
};

TEST_F(ImportView, ShowsBothPagesWithEveryControlAndItsText) {
    ImportDialogView view(logic, dispatcher, picker);
    EXPECT_EQ(view.windowTitle(), "Import");
    EXPECT_EQ(view.size(), QSize(586, 440));
    ASSERT_EQ(view.pages()->count(), 2);
    EXPECT_EQ(view.pages()->tabText(0), "Import from Internet Explorer");
    EXPECT_EQ(view.pages()->tabText(1), "Import from Netscape");
    EXPECT_EQ(view.pages()->currentIndex(), 0);
    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "Current Favorites Folder:"},
        {"Label2", "Netscape User Folder:"},
        {"Label3", "Netscape User Bookmark.htm File:"},
        {"Label4", "Select the Netscape User bookmarks to be added:"}};
    for (const auto& [name, caption] : labels)
        EXPECT_EQ(view.findChild<QLabel*>(name)->text(), caption);
    const std::pair<const char*, const char*> buttons[] = {
        {"BitBtn1", "Import Now"},
        {"BitBtn2", "Cancel"},
        {"BitBtn3", "Select All"},
        {"BitBtn4", "Deselect All"},
        {"BitBtn5", "Select All"},
        {"BitBtn6", "Deselect All"},
        {"BitBtn7", "Load the selected bookmark file"},
        {"BitBtn8", "Find"}};
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(view.findChild<QPushButton*>(name)->text(), caption);
    EXPECT_TRUE(view.findChild<QPushButton*>("BitBtn1")->isDefault());
    EXPECT_TRUE(view.findChild<QPushButton*>("BitBtn7")->isHidden());
    EXPECT_FALSE(view.findChild<QPushButton*>("BitBtn8")->isHidden());
    EXPECT_EQ(view.findChild<QPushButton*>("BitBtn8")->toolTip(),
              "Click here after changing the folder, to refind the bookmark.htm files.");
    EXPECT_EQ(view.findChild<QCheckBox*>("CheckBox1")->text(),
              "Remove bookmarks from browser after importing");
    EXPECT_FALSE(view.findChild<QCheckBox*>("CheckBox1")->isChecked());
    EXPECT_EQ(view.findChild<QWidget*>("Panel1")->height(), 49);

    const auto* favoritesFolder = view.findChild<FolderLookupView*>("OrvFolderLookup1");
    EXPECT_EQ(favoritesFolder->edit()->text().toStdString(), folderText(root / "Favorites"));
    EXPECT_FALSE(favoritesFolder->edit()->isEnabled());
    EXPECT_FALSE(favoritesFolder->browseButton()->isEnabled());
    EXPECT_TRUE(view.bookmarkFolder()->browseButton()->isEnabled());
    ASSERT_EQ(view.favoritesList()->model()->rowCount(), 2);
    EXPECT_EQ(text(view.favoritesList(), 0), "A");
    EXPECT_EQ(view.favoritesList()->model()->index(0, 0).data(Qt::CheckStateRole), Qt::Unchecked);
}

TEST_F(ImportView, FirstShowLoadsTheFirstFileTicksAndSelectionReachTheLogic) {
    const bool ok = runWith(
        [&](ImportDialogView& view) {
            ASSERT_EQ(view.bookmarkFiles()->count(), 2);
            EXPECT_EQ(view.bookmarkFiles()->currentRow(), 0);
            EXPECT_EQ(text(view.addressList(), 0), "http://one/");

            view.bookmarkFiles()->setCurrentRow(1);  // as a click would
            ASSERT_EQ(view.addressList()->model()->rowCount(), 2);
            EXPECT_EQ(text(view.addressList(), 0), "http://Three/");
            view.findChild<QPushButton*>("BitBtn5")->click();
            EXPECT_TRUE(logic.CheckListBox1[1].checked);
            EXPECT_EQ(view.addressList()->model()->index(1, 0).data(Qt::CheckStateRole),
                      Qt::Checked);
            view.favoritesList()->model()->setData(view.favoritesList()->model()->index(1, 0),
                                                   Qt::Checked, Qt::CheckStateRole);
            EXPECT_TRUE(logic.listbox1[1].checked);

            // Browsing changes the folder text, and nothing else.
            picker.answer = (root / "elsewhere").string();
            view.bookmarkFolder()->browseButton()->click();
            EXPECT_EQ(view.bookmarkFolder()->edit()->text().toStdString(), *picker.answer);
            EXPECT_EQ(view.bookmarkFiles()->count(), 2);

            // Find and the folder field take no input while a search runs.
            std::vector<bool> enabledDuringFind;
            pump.duringNext = [&] {
                for (const QWidget* control :
                     {static_cast<QWidget*>(view.findButton()),
                      static_cast<QWidget*>(view.bookmarkFolder()->edit()),
                      static_cast<QWidget*>(view.bookmarkFolder()->browseButton())})
                    enabledDuringFind.push_back(control->isEnabled());
            };
            view.findButton()->click();
            pump.duringNext = nullptr;
            EXPECT_FALSE(enabledDuringFind.empty());
            EXPECT_EQ(std::count(enabledDuringFind.begin(), enabledDuringFind.end(), true), 0);
            EXPECT_TRUE(view.findButton()->isEnabled());
            EXPECT_TRUE(view.bookmarkFolder()->edit()->isEnabled());
            EXPECT_TRUE(view.bookmarkFolder()->browseButton()->isEnabled());
            view.findChild<QCheckBox*>("CheckBox1")->setChecked(true);
        },
        "BitBtn1");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(logic.CheckBox1);
    EXPECT_EQ(logic.OrvFolderLookup2.Text, (root / "elsewhere").string());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportView, CancelClosesWithoutImportNow) {
    EXPECT_FALSE(runWith([](ImportDialogView&) {}, "BitBtn2"));
}

}  // namespace
}  // namespace zn::testing
