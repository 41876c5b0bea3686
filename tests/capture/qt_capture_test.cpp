// The chooser's window and the tray menu, offscreen: what they show and what
// they hand back to the logic.
#include <QAction>
#include <QCloseEvent>
#include <QPushButton>
#include <QTimer>

#include "capture/qt/chooser_view.h"
#include "desktop/qt/tray_menu.h"
#include "tests/fakes/fake_services.h"
#include "tests/fakes/qt_application_test.h"

namespace zn::testing {
namespace {

class QtCapture : public QtApplicationTest {
protected:
    // Runs the chooser, doing `act` once it shows.
    bool runChooser(TwBoth& dialog, const std::function<void()>& act) {
        QTimer::singleShot(0, &view, act);
        return view.run(dialog);
    }
    QPushButton* button(const char* name) {
        return view.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    ChooserView view;
};

TEST_F(QtCapture, TheChooserShowsTheBoxesAsSetAndHandsBackTheTicksOnOk) {
    TwBoth dialog;
    dialog.CheckBox1 = {"http://a.example/?x=1&y=2", false, true};
    dialog.CheckBox2 = {"http://b.example/", false, true};
    dialog.CheckBox3 = {"old", true, false};
    const bool ok = runChooser(dialog, [&] {
        EXPECT_EQ(view.windowTitle(), QStringLiteral("Select Bookmark to Add"));
        EXPECT_TRUE(view.box(0)->isVisible());
        EXPECT_FALSE(view.box(2)->isVisible());
        // "&" is shown as itself.
        EXPECT_EQ(view.box(0)->text(), QStringLiteral("http://a.example/?x=1&&y=2"));
        EXPECT_EQ(view.box(1)->geometry().top(), 88);
        view.box(1)->click();
        button("okButton")->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_FALSE(dialog.CheckBox1.checked);
    EXPECT_TRUE(dialog.CheckBox2.checked);
}

TEST_F(QtCapture, CancelHandsBackNothing) {
    TwBoth dialog;
    dialog.CheckBox1 = {"http://a.example/", false, true};
    const bool ok = runChooser(dialog, [&] {
        view.box(0)->click();
        button("cancelButton")->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(dialog.CheckBox1.checked);
}

class ClosingWindow : public QWidget {
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeRequests;
        event->ignore();
    }
};

TEST_F(QtCapture, TheTrayMenuOpensCapturesAndQuits) {
    FakeServices fakes;
    FakeMainWindowView window;
    TForm1 form(fakes.services("/opt/znvault"), window);
    window.attach(form);
    int captures = 0;
    form.setCaptureAction([&] { ++captures; });
    ClosingWindow mainWindow;
    TrayMenu menu(form, mainWindow);

    QStringList captions;
    for (const QAction* action : menu.actions()) captions << action->text();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("&Open"), QStringLiteral("&Add Bookmark"),
                                     QStringLiteral("&Quit")}));
    menu.item("Activate1")->trigger();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.panel, Panel::Lock);
    menu.item("AddBookmark1")->trigger();
    EXPECT_EQ(captures, 1);
    menu.item("Quit1")->trigger();
    EXPECT_EQ(mainWindow.closeRequests, 1);
}

}  // namespace
}  // namespace zn::testing
