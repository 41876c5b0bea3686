// The options window's wiring, offscreen: its controls in order, and what it
// hands back to the logic after OK and after Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "settings/qt/options_dialog_view.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/qt_application_test.h"

namespace zn::testing {
namespace {

class OptionsView : public QtApplicationTest {
protected:
    // Runs the dialog; `act` runs once it shows, then `button` is clicked.
    bool runWith(const std::function<void(OptionsDialogView&)>& act, const char* button) {
        OptionsDialogView view(logic, dispatcher, keyboard);
        QTimer::singleShot(0, &view, [&] {
            act(view);
            view.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        return view.run();
    }

    FakeRegistry registry;
    FakeMessageBoxes messages;
    FakeDialogs dialogs;
    FakeKeyboardLayout keyboard;
    HandlerDispatcher dispatcher{messages};
    TwOptions logic{registry, dialogs, messages};
};

TEST_F(OptionsView, OpensCentredOnTheScreenNotOverItsParent) {
    QWidget parent;
    parent.setGeometry(0, 0, 120, 90);
    parent.show();
    OptionsDialogView view(logic, dispatcher, keyboard, &parent);
    QPoint shownAt;
    QTimer::singleShot(0, &view, [&] {
        shownAt = view.pos();
        view.reject();
    });
    view.run();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(shownAt,
              QPoint((screen.width() - view.width()) / 2, (screen.height() - view.height()) / 2));
}

TEST_F(OptionsView, ShowsEveryControlWithItsText) {
    OptionsDialogView view(logic, dispatcher, keyboard);
    EXPECT_EQ(view.windowTitle(), "Options");
    EXPECT_EQ(view.size(), QSize(339, 458));
    const char* boxes[][2] = {{"autostartBox", "Automatically start when Windows loads:"},
                              {"messagesBox", "Show confirmation when a bookmark is added"},
                              {"autoHideBox", "Automatically hide after opening bookmark"},
                              {"iconBox", "Show Icon on Windows Taskbar"},
                              {"keepPassBox", "Remember Password for current session "},
                              {"showUserBox", "Show User Name/Password when opening site"}};
    int previousTop = -1;
    for (const auto& [name, text] : boxes) {
        auto* box = view.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->text(), QString::fromLatin1(text));
        view.show();
        EXPECT_GT(box->y(), previousTop) << name;
        previousTop = box->y();
    }
    EXPECT_TRUE(view.findChild<QPushButton*>(QStringLiteral("okButton"))->isDefault());
}

TEST_F(OptionsView, OkHandsTheControlsBack) {
    logic.HotKey1 = 0xC050;
    logic.messagesBox = true;
    logic.browserField = "/usr/bin/old";
    const bool accepted = runWith(
        [](OptionsDialogView& view) {
            view.findChild<QCheckBox*>(QStringLiteral("messagesBox"))->setChecked(false);
            view.findChild<QCheckBox*>(QStringLiteral("keepPassBox"))->setChecked(true);
            view.findChild<QLineEdit*>(QStringLiteral("browserField"))->setText("/usr/bin/new");
        },
        "okButton");
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(logic.messagesBox);
    EXPECT_TRUE(logic.keepPassBox);
    EXPECT_EQ(logic.HotKey1, 0xC050);
    EXPECT_EQ(logic.browserField, "/usr/bin/new");
}

TEST_F(OptionsView, CancelStillKeepsWhatTheBrowserFieldShowed) {
    const bool accepted = runWith(
        [](OptionsDialogView& view) {
            view.findChild<QLineEdit*>(QStringLiteral("browserField"))->setText("/typed");
        },
        "cancelButton");
    EXPECT_FALSE(accepted);
    EXPECT_EQ(logic.browserField, "/typed");
}

TEST_F(OptionsView, BrowseAndChangePasswordGoThroughTheLogic) {
    dialogs.chosenProgram = "/usr/bin/chosen";
    dialogs.typePasswords({"new-password", "new-password"});
    runWith(
        [](OptionsDialogView& view) {
            view.findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
            EXPECT_EQ(view.findChild<QLineEdit*>(QStringLiteral("browserField"))->text(),
                      "/usr/bin/chosen");
            view.findChild<QPushButton*>(QStringLiteral("changePasswordButton"))->click();
        },
        "okButton");
    EXPECT_EQ(logic.browserField, "/usr/bin/chosen");
    EXPECT_EQ(logic.pendingPassword(), "new-password");
}

}  // namespace
}  // namespace zn::testing
