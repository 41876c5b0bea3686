// The setup windows' Qt views, offscreen: sizes, keyboard order and what the
// completion panel leaves reachable.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "setup/qt/qt_setup_screens.h"
#include "tests/fakes/qt_application_test.h"
#include "tests/setup/setup_fixture.h"

// Outside every namespace, as Qt's resource start-up requires.
static void initSetupResources() {
    Q_INIT_RESOURCE(setup);
}

namespace zn::setup::testing {
namespace {

class SetupViews : public zn::testing::QtApplicationTest {
protected:
    SetupViews() {
        initSetupResources();
        screens.attach(program);
        program.create();
    }
    QWidget* installationView() { return screens.backdrop().findChild<QWidget*>("TForm1"); }
    template <typename Widget>
    Widget* control(const char* name) {
        return installationView()->findChild<Widget*>(QString::fromLatin1(name));
    }

    TempFolder temp;
    FakeRegistry registry;
    TestFileSystem files;
    TestLinks links;
    FakeMessageBoxes messages;
    RecordingShell shell;
    ManualTimers timers;
    FakeWindows windows;
    QtSetupScreens screens;
    SetupProgram program{
        SetupServices{registry, files, links, messages, shell, timers, windows, screens}};
};

TEST_F(SetupViews, TheInstallationScreenKeepsItsSizeAndKeyboardOrder) {
    EXPECT_EQ(installationView()->size(), QSize(347, 184));
    EXPECT_EQ(screens.backdrop().findChild<QWidget*>("TForm4")->size(), QSize(551, 348));
    EXPECT_EQ(screens.backdrop().findChild<QWidget*>("TForm3")->size(), QSize(303, 261));
    QWidget* expected[] = {control<QLineEdit>("Edit1"),     control<QCheckBox>("CheckBox1"),
                           control<QCheckBox>("CheckBox2"), control<QPushButton>("BitBtn1"),
                           control<QPushButton>("BitBtn3"), control<QPushButton>("BitBtn2")};
    for (std::size_t i = 0; i + 1 < std::size(expected); ++i) {
        QWidget* next = expected[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[i + 1]) << i;
    }
}

TEST_F(SetupViews, TheInstallingNoticeShowsInsideTheWindow) {
    program.installationScreen.installingNoticeShown = true;
    screens.refreshInstallation();
    auto* notice = control<QLabel>("Panel2");
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(notice->text(), QString::fromLatin1(kInstallingNotice));
    EXPECT_TRUE(installationView()->rect().contains(notice->geometry()));
}

TEST_F(SetupViews, TheCompletionPanelLeavesOnlyOkAndHidesItsCheckedOptions) {
    program.installationScreen.completionPanelShown = true;
    screens.refreshInstallation();
    EXPECT_FALSE(control<QWidget>("Panel1")->isHidden());
    for (const char* covered : {"Edit1", "CheckBox1", "CheckBox2", "BitBtn1", "BitBtn3", "BitBtn2"})
        EXPECT_FALSE(control<QWidget>(covered)->isEnabled()) << covered;
    for (const char* option : {"CheckBox3", "CheckBox4"}) {
        EXPECT_TRUE(control<QCheckBox>(option)->isHidden()) << option;
        EXPECT_TRUE(control<QCheckBox>(option)->isChecked()) << option;
    }
    EXPECT_TRUE(control<QWidget>("Panel2")->isHidden());
}

}  // namespace
}  // namespace zn::setup::testing
