#include "import/qt/import_dialog_view.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

constexpr int kDialogWidth = 586;
constexpr int kDialogHeight = 440;
constexpr int kBottomBarHeight = 49;

QLabel* label(const char* name, const char* text, QWidget* parent) {
    auto* result = new QLabel(QString::fromLatin1(text), parent);
    result->setObjectName(QString::fromLatin1(name));
    return result;
}

}  // namespace

ImportDialogView::ImportDialogView(TwImport& logic, const HandlerDispatcher& dispatcher,
                                   FolderPicker& picker, QWidget* parent)
    : QDialog(parent), logic_(logic), dispatcher_(dispatcher), picker_(picker) {
    setObjectName(QStringLiteral("TwImport"));
    setWindowTitle(QStringLiteral("Import"));
    setFixedSize(kDialogWidth, kDialogHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->addTab(buildFavoritesPage(), QStringLiteral("Import from Internet Explorer"));
    pages_->addTab(buildBookmarkFilePage(), QStringLiteral("Import from Netscape"));
    layout->addWidget(pages_, 1);
    layout->addWidget(buildBottomBar());
    logic_.setObserver(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(centredOffset(screen->geometry().width(), kDialogWidth),
             centredOffset(screen->geometry().height(), kDialogHeight));
}

ImportDialogView::~ImportDialogView() {
    logic_.setObserver(nullptr);
}

QWidget* ImportDialogView::buildFavoritesPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label("Label1", "Current Favorites Folder:", page));
    favoritesFolder_ = new FolderLookupView(
        logic_.OrvFolderLookup1, [] {}, page);
    favoritesFolder_->setObjectName(QStringLiteral("OrvFolderLookup1"));
    layout->addWidget(favoritesFolder_);
    favorites_ = addCheckListRow(page, layout, "listbox1", ImportListId::Favorites,
                                 {"BitBtn3", &TwImport::BitBtn3Click},
                                 {"BitBtn4", &TwImport::BitBtn4Click}, favoritesModel_);
    return page;
}

QWidget* ImportDialogView::buildBookmarkFilePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label("Label2", "Netscape User Folder:", page));
    auto* folderRow = new QHBoxLayout;
    bookmarkFolder_ = new FolderLookupView(
        logic_.OrvFolderLookup2,
        [this] { run([this] { logic_.OrvFolderLookup2.Browse(picker_); }); }, page);
    bookmarkFolder_->setObjectName(QStringLiteral("OrvFolderLookup2"));
    folderRow->addWidget(bookmarkFolder_, 1);
    find_ = addButton("BitBtn8", "Find", &TwImport::BitBtn8Click);
    find_->setToolTip(
        QStringLiteral("Click here after changing the folder, to refind the bookmark.htm files."));
    folderRow->addWidget(find_);
    layout->addLayout(folderRow);

    layout->addWidget(label("Label3", "Netscape User Bookmark.htm File:", page));
    bookmarkFiles_ = new QListWidget(page);
    bookmarkFiles_->setObjectName(QStringLiteral("ListBox2"));
    bookmarkFiles_->setSelectionMode(QAbstractItemView::SingleSelection);
    bookmarkFiles_->setFixedHeight(bookmarkFiles_->fontMetrics().height() * 3 + 8);
    connect(bookmarkFiles_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (mirroring_ || row < 0) return;
        run([this, row] { logic_.ListBox2Click(static_cast<std::size_t>(row)); });
    });
    layout->addWidget(bookmarkFiles_);

    layout->addWidget(label("Label4", "Select the Netscape User bookmarks to be added:", page));
    addresses_ = addCheckListRow(page, layout, "CheckListBox1", ImportListId::Addresses,
                                 {"BitBtn5", &TwImport::BitBtn5Click},
                                 {"BitBtn6", &TwImport::BitBtn6Click}, addressModel_);
    // Load is the dialog's own command, run by first show and by selection.
    addButton("BitBtn7", "Load the selected bookmark file", &TwImport::BitBtn7Click)
        ->setVisible(false);
    return page;
}

QListView* ImportDialogView::addCheckListRow(QWidget* page, QBoxLayout* layout, const char* name,
                                             ImportListId id, Command selectAll,
                                             Command deselectAll, CheckListModel*& model) {
    const CheckList& items = id == ImportListId::Favorites ? logic_.listbox1 : logic_.CheckListBox1;
    model = new CheckListModel(
        items, [this, id](std::size_t row, bool checked) { logic_.setTick(id, row, checked); },
        this);
    auto* view = new QListView(page);
    view->setObjectName(QString::fromLatin1(name));
    view->setUniformItemSizes(true);  // no per-item measuring, however long the list
    view->setModel(model);
    auto* row = new QHBoxLayout;
    row->addWidget(view, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addButton(selectAll.name, "Select All", selectAll.handler));
    buttons->addWidget(addButton(deselectAll.name, "Deselect All", deselectAll.handler));
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row, 1);
    return view;
}

QWidget* ImportDialogView::buildBottomBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(kBottomBarHeight);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(10, 0, 10, 0);
    removeBox_ =
        new QCheckBox(QStringLiteral("Remove bookmarks from browser after importing"), bar);
    removeBox_->setObjectName(QStringLiteral("CheckBox1"));
    layout->addWidget(removeBox_);
    layout->addStretch();
    auto* importNow = new QPushButton(QStringLiteral("Import Now"), bar);
    importNow->setObjectName(QStringLiteral("BitBtn1"));
    importNow->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), bar);
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    cancel->setAutoDefault(false);
    layout->addWidget(importNow);
    layout->addWidget(cancel);
    connect(importNow, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return bar;
}

QPushButton* ImportDialogView::addButton(const char* name, const char* caption,
                                         void (TwImport::*handler)()) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, handler] { run([this, handler] { (logic_.*handler)(); }); });
    return button;
}

void ImportDialogView::run(const std::function<void()>& handler) {
    dispatcher_.run(handler);
}

bool ImportDialogView::run() {
    const bool accepted = exec() == QDialog::Accepted;
    logic_.CheckBox1 = removeBox_->isChecked();
    return accepted;
}

void ImportDialogView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Once the window is on the screen: the search lets messages through.
    QMetaObject::invokeMethod(
        this, [this] { run([this] { logic_.FormShow(); }); }, Qt::QueuedConnection);
}

void ImportDialogView::showBookmarkFiles() {
    mirroring_ = true;
    bookmarkFiles_->clear();
    for (const std::string& path : logic_.ListBox2) bookmarkFiles_->addItem(toQt(path));
    if (logic_.ListBox2Selected)
        bookmarkFiles_->setCurrentRow(static_cast<int>(*logic_.ListBox2Selected));
    mirroring_ = false;
}

// Qt paints later, in one go and only where items changed, so the changes of
// a Select All need no lock of their own.
void ImportDialogView::lockUpdates(bool) {}

void ImportDialogView::tickChanged(ImportListId list, std::size_t index) {
    (list == ImportListId::Favorites ? favoritesModel_ : addressModel_)->tickChanged(index);
}

void ImportDialogView::listChanged(ImportListId list) {
    switch (list) {
        case ImportListId::Favorites:
            favoritesModel_->reload();
            break;
        case ImportListId::Addresses:
            addressModel_->reload();
            break;
        case ImportListId::BookmarkFiles:
            showBookmarkFiles();
            break;
    }
}

void ImportDialogView::findRunning(bool running) {
    find_->setEnabled(!running);
    bookmarkFolder_->showLogic();
}

}  // namespace zn
