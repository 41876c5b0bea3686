#include "app/qt/main_window_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QShortcutEvent>
#include <QSvgWidget>
#include <QVBoxLayout>

#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

// The logic gives outer sizes with the allowance of a classic Windows frame;
// our window manager draws its own, so the client area gets the rest.
constexpr int kFrameWidthAllowance = 12;
constexpr int kFrameHeightAllowance = 32;
constexpr int kBannerHeight = 58;
constexpr int kBottomBarHeight = 52;

struct ListButton {
    const char* name;
    const char* caption;
    const char* hint;
};

const ListButton kListButtons[] = {
    {"BitBtn1", "Add", "Click here to manually add a bookmark"},
    {"BitBtn2", "Remove", "Click here to remove site from bookmarks"},
    {"BitBtn3", "&Hide", "Click here to hide Zintrel"},
    {"BitBtn6", "&Options", "Click here to change options"},
    {"BitBtn7", "&Edit", "Click here to edit the selected site."},
    {"BitBtn8", "&Help", "Click here for help"},
    {"BitBtn10", "&Import",
     "Click to import existing bookmarks from Internet Explorer or Netscape"},
};

}  // namespace

MainWindowWidget::MainWindowWidget() {
    setObjectName(QStringLiteral("TForm1"));
    setWindowIcon(QIcon(QStringLiteral(":/zintrel/zintrel.svg")));
    lockPanel_ = buildLockPanel();
    listPanel_ = buildListPanel();
    listPanel_->hide();
}

QWidget* MainWindowWidget::buildLockPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("lockPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(new QLabel(QStringLiteral("Enter Password:"), panel));
    passwordField_ = new QLineEdit(panel);
    passwordField_->setObjectName(QStringLiteral("passwordField"));
    passwordField_->setEchoMode(QLineEdit::Password);
    layout->addWidget(passwordField_);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), panel);
    ok->setObjectName(QStringLiteral("lockOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), panel);
    cancel->setObjectName(QStringLiteral("lockCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    const auto unlock = [this] { run([this] { form_->UnlockClick(); }); };
    connect(ok, &QPushButton::clicked, this, unlock);
    connect(passwordField_, &QLineEdit::returnPressed, this, unlock);
    connect(cancel, &QPushButton::clicked, this,
            [this] { run([this] { form_->LockCancelClick(); }); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), panel);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, cancel, &QPushButton::click);
    return panel;
}

QWidget* MainWindowWidget::buildListPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("listPanel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* banner = new QSvgWidget(QStringLiteral(":/zintrel/banner.svg"), panel);
    banner->setFixedHeight(kBannerHeight);
    layout->addWidget(banner);

    listView_ = new QTableView(panel);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setShowGrid(false);
    listView_->setWordWrap(false);
    listView_->setAlternatingRowColors(true);
    listView_->verticalHeader()->hide();
    // Uniform rows: the view never measures rows one by one, so 10,000 stay smooth.
    listView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView_->verticalHeader()->setDefaultSectionSize(listView_->fontMetrics().height() + 6);
    listView_->horizontalHeader()->setSectionsClickable(false);
    listView_->horizontalHeader()->setHighlightSections(false);
    listView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    listView_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(listView_, 1);

    auto* bottomBar = new QWidget(panel);
    bottomBar->setFixedHeight(kBottomBarHeight);
    auto* bottomLayout = new QVBoxLayout(bottomBar);
    bottomLayout->setContentsMargins(4, 2, 4, 3);
    bottomLayout->setSpacing(2);
    auto* note = new QLabel(
        QStringLiteral("  Note: Double click on a site to open it in your browser."), bottomBar);
    note->setObjectName(QStringLiteral("note"));
    bottomLayout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    for (const auto& listButton : kListButtons) {
        auto* button = new QPushButton(QString::fromLatin1(listButton.caption), bottomBar);
        button->setObjectName(QString::fromLatin1(listButton.name));
        button->setToolTip(QString::fromLatin1(listButton.hint));
        button->setAutoDefault(false);
        button->installEventFilter(this);
        buttons->addWidget(button);
    }
    bottomLayout->addLayout(buttons);
    layout->addWidget(bottomBar);

    // Remove and Edit wait for a click in the list.
    button("BitBtn2")->setEnabled(false);
    button("BitBtn7")->setEnabled(false);
    connectListPanel();
    return panel;
}

void MainWindowWidget::connectListPanel() {
    const auto forward = [this](const char* buttonName, void (TForm1::*handler)()) {
        connect(button(buttonName), &QPushButton::clicked, this,
                [this, handler] { run([this, handler] { (form_->*handler)(); }); });
    };
    forward("BitBtn1", &TForm1::BitBtn1Click);
    forward("BitBtn2", &TForm1::BitBtn2Click);
    forward("BitBtn3", &TForm1::BitBtn3Click);
    forward("BitBtn6", &TForm1::BitBtn6Click);
    forward("BitBtn7", &TForm1::BitBtn7Click);
    forward("BitBtn8", &TForm1::BitBtn8Click);
    forward("BitBtn10", &TForm1::BitBtn10Click);

    // Clicks are watched on the viewport, so that a click or double click on
    // an empty part of the list reaches the logic too.
    listView_->viewport()->installEventFilter(this);
    listView_->setContextMenuPolicy(Qt::CustomContextMenu);
    buildListMenu();
    connect(listView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        listMenu_->popup(listView_->viewport()->mapToGlobal(position));
    });
}

void MainWindowWidget::buildListMenu() {
    listMenu_ = new QMenu(this);
    listMenu_->setObjectName(QStringLiteral("PopupMenu2"));
    const auto item = [this](const char* name, const char* caption, void (TForm1::*handler)()) {
        QAction* action = listMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        if (handler)
            connect(action, &QAction::triggered, this,
                    [this, handler] { run([this, handler] { (form_->*handler)(); }); });
    };
    item("Open1", "&Open", &TForm1::ListView1DblClick);
    listMenu_->addSeparator();
    item("Add1", "&Add", &TForm1::BitBtn1Click);
    item("Edit1", "&Edit", &TForm1::BitBtn7Click);
    item("Remove1", "&Remove", &TForm1::BitBtn2Click);
    listMenu_->addSeparator();
    item("Copy1", "&Copy", &TForm1::Copy1Click);
    item("Paste1", "&Paste", &TForm1::Paste1Click);
    listMenu_->addSeparator();
    item("Import1", "&Import", &TForm1::BitBtn10Click);
    connect(listMenu_, &QMenu::aboutToShow, this,
            [this] { run([this] { form_->PopupMenu2Popup(); }); });
}

QAction* MainWindowWidget::listMenuItem(const char* objectName) const {
    return listMenu_->findChild<QAction*>(QString::fromLatin1(objectName));
}

void MainWindowWidget::mirrorCommandStates() const {
    if (!form_) return;
    button("BitBtn2")->setEnabled(form_->removeEnabled());
    button("BitBtn7")->setEnabled(form_->editEnabled());
    const TForm1::ListMenuState& menu = form_->listMenu();
    listMenuItem("Open1")->setEnabled(menu.open);
    listMenuItem("Edit1")->setEnabled(menu.edit);
    listMenuItem("Copy1")->setEnabled(menu.copy);
    listMenuItem("Remove1")->setEnabled(menu.remove);
}

bool MainWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    // "&Hide" and "&Help" share Alt+H. The toolkit would only move the focus
    // between them; the first in tab order acts, as the captions intend.
    if (event->type() == QEvent::Shortcut) {
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->isAmbiguous()) {
            if (QPushButton* first = firstListButtonWithMnemonic(shortcut->key())) {
                first->click();
                return true;
            }
        }
    }
    const bool release = event->type() == QEvent::MouseButtonRelease;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    // Only a mouse event may be read as one.
    if (watched == listView_->viewport() && form_ && (release || doubleClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // Queued: the view settles the selection only as it handles the release itself.
        if (release)
            QMetaObject::invokeMethod(
                this, [this] { run([this] { form_->ListView1Click(); }); }, Qt::QueuedConnection);
        else
            run([this] { form_->ListView1DblClick(); });
    }
    return QWidget::eventFilter(watched, event);
}

QPushButton* MainWindowWidget::firstListButtonWithMnemonic(const QKeySequence& key) const {
    for (const auto& listButton : kListButtons) {
        QPushButton* candidate = button(listButton.name);
        if (candidate->isEnabled() && candidate->isVisible() &&
            QKeySequence::mnemonic(candidate->text()) == key)
            return candidate;
    }
    return nullptr;
}

QPushButton* MainWindowWidget::button(const char* objectName) const {
    return findChild<QPushButton*>(QString::fromLatin1(objectName));
}

void MainWindowWidget::attach(TForm1& form) {
    form_ = &form;
    model_ = new BookmarkTableModel(form.list(), this);
    // Connected before the view takes the model, so these run before the
    // selection model reacts to the same change.
    const auto changing = [this] { modelChanging_ = true; };
    const auto changed = [this] { modelChanging_ = false; };
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, changing);
    connect(model_, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model_, &QAbstractItemModel::modelReset, this, changed);
    listView_->setModel(model_);
    const int widths[] = {270, 235, 65, 62};
    for (int column = 0; column < 4; ++column) listView_->setColumnWidth(column, widths[column]);
    connect(model_, &BookmarkTableModel::logicSelectionChanged, this,
            &MainWindowWidget::mirrorLogicSelection);
    // Keyboard and mouse both select; the logic holds the one selected row.
    connect(listView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindowWidget::followViewSelection);
    mirrorCommandStates();
}

void MainWindowWidget::detach() {
    form_ = nullptr;
    listView_->setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

void MainWindowWidget::followViewSelection() {
    if (modelChanging_ || !form_) return;
    const QModelIndexList rows = listView_->selectionModel()->selectedRows();
    const auto row = rows.isEmpty()
                         ? std::nullopt
                         : std::optional<std::size_t>(static_cast<std::size_t>(rows.first().row()));
    if (form_->list().selected() != row) form_->list().select(row);
}

void MainWindowWidget::mirrorLogicSelection() {
    if (!form_) return;
    const auto selected = form_->list().selected();
    auto* selection = listView_->selectionModel();
    if (!selected) {
        selection->clear();
        return;
    }
    const QModelIndex index = model_->index(static_cast<int>(*selected), 0);
    if (selection->currentIndex().row() == index.row() && selection->isRowSelected(index.row()))
        return;
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    listView_->scrollTo(index);
}

void MainWindowWidget::run(const std::function<void()>& handler) const {
    if (!form_) return;
    form_->dispatcher().run(handler);
    mirrorCommandStates();
}

ScreenSize MainWindowWidget::screenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    return {screen->geometry().width(), screen->geometry().height()};
}

void MainWindowWidget::moveWindow(int left, int top) {
    move(left, top);
}

void MainWindowWidget::resizeWindow(int width, int height) {
    setFixedSize(width - kFrameWidthAllowance, height - kFrameHeightAllowance);
    lockPanel_->setGeometry(0, 0, this->width(), this->height());
    listPanel_->setGeometry(0, 0, this->width(), this->height());
}

void MainWindowWidget::setCaption(const std::string& caption) {
    setWindowTitle(toQt(caption));
}

void MainWindowWidget::showPanel(Panel panel) {
    QWidget* shown = panel == Panel::Lock ? lockPanel_ : listPanel_;
    QWidget* hidden = panel == Panel::Lock ? listPanel_ : lockPanel_;
    hidden->hide();
    shown->move(0, 0);
    shown->show();
}

std::string MainWindowWidget::passwordFieldText() const {
    return fromQt(passwordField_->text());
}

void MainWindowWidget::clearPasswordField() {
    passwordField_->clear();
}

void MainWindowWidget::focusPasswordField() {
    passwordField_->setFocus();
}

void MainWindowWidget::showWindow() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void MainWindowWidget::setMinimized(bool minimized) {
    // Qt maps a hidden window whose state changes; a hidden window's state
    // only matters at its next show, which restores it anyway.
    if (!isVisible()) return;
    setWindowState(minimized ? (windowState() | Qt::WindowMinimized)
                             : (windowState() & ~Qt::WindowMinimized));
}

void MainWindowWidget::bringToFront() {
    if (!isVisible()) return;
    raise();
    activateWindow();
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    run([&] { mayClose = form_->FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

void MainWindowWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A spontaneous hide is the window being minimised, and it arrives before
    // the state change: showing the lock panel now would restore the window,
    // and ApplicationMinimize would never hide it. The hide that follows does.
    if (event->spontaneous()) return;
    run([this] { form_->FormHide(); });
}

void MainWindowWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        isVisible())
        run([this] { form_->ApplicationMinimize(); });
}

}  // namespace zn
