// The Qt views' wiring, offscreen: the entry dialog's fields and keys, the
// list panel's buttons and context menu, and the list view's model.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "app/main_window.h"
#include "app/qt/entry_dialog_view.h"
#include "app/qt/main_window_widget.h"
#include "app/qt/password_dialog_view.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/qt_application_test.h"
#include "vault/entry_cipher.h"
#include "vault/protected_vault.h"

namespace zn::testing {
namespace {

class QtViews : public QtApplicationTest {
protected:
};

using EntryDialog = QtViews;

TEST_F(EntryDialog, HasTheFixedSizeFieldsAndTabOrder) {
    EntryDialogView view;
    EXPECT_EQ(view.size(), QSize(282, 307));
    EXPECT_EQ(view.minimumSize(), view.maximumSize());
    const QList<QWidget*> order = {view.siteField(),     view.descriptionField(),
                                   view.userNameField(), view.passwordField(),
                                   view.okButton(),      view.cancelButton()};
    for (int i = 0; i < 4; ++i) {
        auto* field = static_cast<QLineEdit*>(order[i]);
        EXPECT_EQ(field->width(), 250);
        EXPECT_EQ(field->echoMode(), QLineEdit::Normal);
    }
    // Tab skips what takes no keyboard focus, such as the labels.
    const auto nextTabStop = [](QWidget* widget) {
        do widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    for (int i = 0; i + 1 < order.size(); ++i) EXPECT_EQ(nextTabStop(order[i]), order[i + 1]);
    EXPECT_TRUE(view.okButton()->isDefault());
    EXPECT_FALSE(view.cancelButton()->isDefault());
}

TEST_F(EntryDialog, CopiesTheFieldsInAndOnlyAfterOkBackWithoutCuttingLongTexts) {
    EntryDialogView view;
    const std::string longSite = "http://long.example/" + std::string(40000, 'x');
    TwAdd logic;
    logic.fill("Edit Bookmark", {longSite, "déjà vu", "user", "pa ss"});

    // Enter in a field presses OK.
    QTimer::singleShot(0, &view, [&] {
        view.userNameField()->setText(QStringLiteral("changed"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(view.userNameField(), &enter);
    });
    ASSERT_TRUE(view.run(logic));
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Edit Bookmark"));
    EXPECT_EQ(logic.entry(), (BookmarkEntry{longSite, "déjà vu", "changed", "pa ss"}));

    // Esc ends without OK and leaves the logic's fields alone.
    QTimer::singleShot(0, &view, [&] {
        view.siteField()->setText(QStringLiteral("typed"));
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(view.siteField(), &escape);
    });
    EXPECT_FALSE(view.run(logic));
    EXPECT_EQ(logic.Edit1, longSite);

    QTimer::singleShot(0, &view, [&] { view.close(); });
    EXPECT_FALSE(view.run(logic));
}

using PasswordDialog = QtViews;

TEST_F(PasswordDialog, EscNeverClosesItAndAtFirstRunNothingButOkDoes) {
    FakeMessageBoxes messages;
    HandlerDispatcher dispatcher(messages);
    for (const auto use : {PasswordDialogUse::FirstRun, PasswordDialogUse::ChangePassword}) {
        TwPassword logic(messages, use);
        PasswordDialogView view(logic, dispatcher);
        view.show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(view.findChild<QLineEdit*>(QStringLiteral("Edit1")), &escape);
        EXPECT_TRUE(view.isVisible());
        view.close();
        EXPECT_EQ(view.isVisible(), use == PasswordDialogUse::FirstRun);
    }
}

// The main window over fakes of every port, unlocked on a stored list.
class MainWindowFixture : public QtViews, protected FakeServices {
protected:
    void startWith(const std::vector<BookmarkEntry>& entries, bool unlock = true) {
        const auto vault = protectVault("master-pass", kTestIterations);
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password",
                          {RegType::String, encodeStringData(vault.headerText)});
        zn::saveAllEntries(registry, *vault.key, entries, {});
        form = std::make_unique<TForm1>(services("/bin/znvault"), window);
        window.attach(*form);
        form->FormCreate();
        while (timers.fireNext()) {
        }
        if (!unlock) return;
        window.findChild<QLineEdit*>(QStringLiteral("passwordField"))
            ->setText(QStringLiteral("master-pass"));
        form->UnlockClick();
        ASSERT_TRUE(form->unlocked());
    }

    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
        QTableView* list = window.listView();
        clickAt(list->visualRect(list->model()->index(row, 0)).center(), button);
    }

    // A click at a point of the list's viewport, with what it queued handled.
    void clickAt(QPoint where, Qt::MouseButton button = Qt::LeftButton) {
        QTableView* list = window.listView();
        QMouseEvent press(QEvent::MouseButtonPress, where, list->viewport()->mapToGlobal(where),
                          button, button, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, where, list->viewport()->mapToGlobal(where),
                            button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &press);
        QApplication::sendEvent(list->viewport(), &release);
        QApplication::sendPostedEvents();
    }

    // The logic outlives its window: the window's model watches its list.
    std::unique_ptr<TForm1> form;
    MainWindowWidget window;
};

using MainWindow = MainWindowFixture;

TEST_F(MainWindow, TheContextMenuHasItsItemsInOrderAndFollowsTheSelection) {
    startWith({{"http://a.example", "", "", ""}});
    QMenu* menu = window.listMenu();
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts.join(QLatin1Char('|')),
              QStringLiteral("&Open|-|&Add|&Edit|&Remove|-|&Copy|&Paste|-|&Import"));
    for (const QAction* action : menu->actions()) EXPECT_TRUE(action->shortcut().isEmpty());

    const auto enabled = [&] {
        QString states;
        for (const char* name : {"Open1", "Add1", "Edit1", "Remove1", "Copy1", "Paste1", "Import1"})
            states += window.listMenuItem(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return states;
    };
    menu->popup(QPoint(10, 10));
    EXPECT_EQ(enabled(), QStringLiteral("0100011"));
    menu->hide();

    form->list().select(0);
    menu->popup(QPoint(10, 10));
    EXPECT_EQ(enabled(), QStringLiteral("1111111"));
    menu->hide();
}

TEST_F(MainWindow, ButtonsFollowLeftClicksOnlyAndStayEnabledAfterRemove) {
    startWith({{"http://a.example", "", "", ""}, {"http://b.example", "", "", ""}});
    window.show();
    QPushButton* remove = window.button("BitBtn2");
    QPushButton* edit = window.button("BitBtn7");
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(edit->isEnabled());

    clickRow(1, Qt::RightButton);
    EXPECT_EQ(form->list().selected(), std::optional<std::size_t>(1));
    EXPECT_FALSE(remove->isEnabled());

    clickRow(0);
    EXPECT_EQ(form->list().selected(), std::optional<std::size_t>(0));
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(edit->isEnabled());

    messages.answer(MessageAnswer::Yes);
    remove->click();
    EXPECT_EQ(form->list().size(), 1u);
    // The removal must not slip the selection onto the next row.
    EXPECT_FALSE(form->list().selected());
    EXPECT_TRUE(window.listView()->selectionModel()->selectedRows().isEmpty());
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
}

TEST_F(MainWindow, AClickOnTheEmptyPartOfTheListDisablesTheButtons) {
    startWith({{"http://a.example", "", "", ""}});
    window.show();
    clickRow(0);
    EXPECT_TRUE(window.button("BitBtn2")->isEnabled());
    const QRect firstRow = window.listView()->visualRect(window.listView()->model()->index(0, 0));
    clickAt(QPoint(firstRow.center().x(), firstRow.bottom() + 40));
    EXPECT_FALSE(form->list().selected());
    EXPECT_FALSE(window.button("BitBtn2")->isEnabled());
    EXPECT_FALSE(window.button("BitBtn7")->isEnabled());
}

TEST_F(MainWindow, ADoubleClickOpensTheSelectedRow) {
    startWith({{"http://a.example", "", "", ""}});
    window.show();
    clickRow(0);
    QTableView* list = window.listView();
    const QPoint where = list->visualRect(list->model()->index(0, 0)).center();
    QMouseEvent twice(QEvent::MouseButtonDblClick, where, list->viewport()->mapToGlobal(where),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &twice);
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].target, "http://a.example");
}

TEST_F(MainWindow, AnEditThatMovesTheRowKeepsItSelectedInTheView) {
    startWith({{"http://a.example", "", "", ""}, {"http://b.example", "", "", ""}});
    window.show();
    clickRow(0);
    FakeDialogs::EntryDialogScript script;
    script.typed = BookmarkEntry{"http://c.example", "", "", ""};
    dialogs.typeEntry(std::move(script));
    window.button("BitBtn7")->click();
    const QModelIndexList rows = window.listView()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().row(), 1);
    EXPECT_EQ(form->list().selected(), std::optional<std::size_t>(1));
}

TEST_F(MainWindow, AltHPressesHideTheFirstOfTheButtonsThatShareIt) {
    startWith({});
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(MainWindow, ShowsTenThousandRowsThroughTheModelQuickly) {
    startWith({});
    window.show();
    const auto widgetsBefore = window.findChildren<QWidget*>().size();
    std::vector<BookmarkEntry> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back({"http://site" + std::to_string(i) + ".example", "d", "u", "p"});

    QElapsedTimer clock;
    clock.start();
    form->list().assign(std::move(many));
    window.listView()->viewport()->repaint();
    QApplication::processEvents();
    const qint64 elapsedMs = clock.elapsed();

    EXPECT_EQ(window.listView()->model()->rowCount(), 10000);
    EXPECT_NE(dynamic_cast<BookmarkTableModel*>(window.listView()->model()), nullptr);
    EXPECT_EQ(window.findChildren<QWidget*>().size(), widgetsBefore);
    EXPECT_LT(elapsedMs, 1000);
}

struct MinimiseCase {
    const char* panel;
    bool keepPass;
    bool unlock;
};

void PrintTo(const MinimiseCase& situation, std::ostream* out) {
    *out << situation.panel;
}

class Minimising : public MainWindowFixture, public ::testing::WithParamInterface<MinimiseCase> {};

TEST_P(Minimising, HidesTheWindowAndTheNextShowAsksUnlessKeepPassHoldsTheList) {
    const MinimiseCase& situation = GetParam();
    registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "KeepPass",
                      {RegType::Dword, encodeDwordData(situation.keepPass ? 1 : 0)});
    startWith({}, situation.unlock);
    ASSERT_TRUE(window.isVisible());

    // As the window manager minimises it: through the window, not the widget.
    window.windowHandle()->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(window.isVisible());

    form->ShowWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("lockPanel"))->isVisible(),
              !(situation.keepPass && situation.unlock));
}

INSTANTIATE_TEST_SUITE_P(FromEitherPanel, Minimising,
                         ::testing::Values(MinimiseCase{"LockPanel", true, false},
                                           MinimiseCase{"ListPanelForgettingThePassword", false,
                                                        true},
                                           MinimiseCase{"ListPanelKeepingThePassword", true, true}),
                         [](const auto& info) { return std::string(info.param.panel); });

}  // namespace
}  // namespace zn::testing
