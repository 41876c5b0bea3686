// The main window: the lock panel and the list panel in one top-level window.
// It shows what TForm1 holds and forwards every user action to it.
#pragma once

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "app/main_window.h"
#include "app/main_window_view.h"
#include "app/qt/bookmark_table_model.h"

namespace zn {

class MainWindowWidget : public QWidget, public MainWindowView {
    Q_OBJECT
public:
    MainWindowWidget();

    // The logic is made after the window, since it needs the window as its view.
    void attach(TForm1& form);
    // Lets go of the logic before it is destroyed: the list model watches its list.
    void detach();

    ScreenSize screenSize() const override;
    void moveWindow(int left, int top) override;
    void resizeWindow(int width, int height) override;
    void setCaption(const std::string& caption) override;
    void showPanel(Panel panel) override;
    std::string passwordFieldText() const override;
    void clearPasswordField() override;
    void focusPasswordField() override;
    bool isWindowVisible() const override { return isVisible(); }
    void showWindow() override;
    void hideWindow() override { hide(); }
    void setMinimized(bool minimized) override;
    void bringToFront() override;

    QTableView* listView() const { return listView_; }
    QPushButton* button(const char* objectName) const;
    // The list's context menu; its items are named after their handlers' controls.
    QMenu* listMenu() const { return listMenu_; }
    QAction* listMenuItem(const char* objectName) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildLockPanel();
    QWidget* buildListPanel();
    void run(const std::function<void()>& handler) const;
    void mirrorLogicSelection();
    void buildListMenu();
    void connectListPanel();
    void followViewSelection();
    // The first list-panel button, in tab order, that this Alt+key presses.
    QPushButton* firstListButtonWithMnemonic(const QKeySequence& key) const;
    // Shows the enabled states the logic decided.
    void mirrorCommandStates() const;

    TForm1* form_ = nullptr;
    QWidget* lockPanel_ = nullptr;
    QWidget* listPanel_ = nullptr;
    QLineEdit* passwordField_ = nullptr;
    QTableView* listView_ = nullptr;
    BookmarkTableModel* model_ = nullptr;
    QMenu* listMenu_ = nullptr;
    // Set while the model changes under the view: the selection model's own
    // reactions then are not the user's choice and must not reach the logic.
    bool modelChanging_ = false;
};

}  // namespace zn
