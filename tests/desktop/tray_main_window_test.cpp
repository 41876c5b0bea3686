// The tray icon component as the main window drives it from the "Icon"
// setting: at start-up and from the options dialog.
#include "desktop/system_tray.h"
#include "tests/app/app_fixture.h"
#include "tests/fakes/fake_capture.h"

namespace zn::testing {
namespace {

class TrayInMainWindow : public AppFixture {
protected:
    TForm1& startWithIcon(std::optional<bool> icon) {
        storeVault({});
        if (icon)
            registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Icon",
                              {RegType::Dword, encodeDwordData(*icon ? 1 : 0)});
        systemTray.setHint("Zintrel");
        systemTray.setNormalIcon(true);
        timers.pending.clear();
        form = std::make_unique<TForm1>(MainWindowServices{registry,
                                                           messages,
                                                           timers,
                                                           collation,
                                                           hotkeys,
                                                           keyboard,
                                                           systemTray,
                                                           dialogs,
                                                           clipboard,
                                                           shell,
                                                           kProgramPath,
                                                           {}},
                                        view);
        view.attach(*form);
        form->FormCreate();
        timers.fireNext();
        return *form;
    }

    FakeNotificationArea area;
    TOrvSystemTray systemTray{area, "Zintrel"};
};

TEST_F(TrayInMainWindow, TheIconFollowsTheSettingAndIsOffWhenMissing) {
    startWithIcon(std::nullopt);
    EXPECT_FALSE(area.shown);
    startWithIcon(true);
    EXPECT_TRUE(area.shown);
    EXPECT_EQ(area.shownTip, "Zintrel");
}

TEST_F(TrayInMainWindow, ARefusalAtStartUpSwitchesItOffSilentlyButFromOptionsIsReported) {
    area.refuse = true;
    startWithIcon(true);
    EXPECT_FALSE(systemTray.isEnabled());
    EXPECT_TRUE(messages.shown.empty());

    view.passwordField = kMasterPassword;
    form->UnlockClick();
    dialogs.useOptions({[](TwOptions& d) { d.iconBox = true; }});
    form->dispatcher().run([&] { form->BitBtn6Click(); });
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].applicationError);
    EXPECT_EQ(messages.shown[0].text, "Cannot create shell notification Icon.");
    EXPECT_FALSE(area.shown);
}

TEST_F(TrayInMainWindow, AnIconRefusedAtStartUpAppearsWithTheShellUnlessSwitchedOffMeanwhile) {
    for (const bool switchedOff : {false, true}) {
        SCOPED_TRACE(switchedOff ? "switched off meanwhile" : "left as it was");
        systemTray.setEnabled(false);
        area.refuse = true;
        startWithIcon(true);
        if (switchedOff) systemTray.setEnabled(false);
        area.refuse = false;
        ASSERT_TRUE(area.arrival);
        area.arrival();
        EXPECT_EQ(area.shown, !switchedOff);
        EXPECT_EQ(systemTray.isEnabled(), !switchedOff);
        EXPECT_TRUE(messages.shown.empty());
    }
}

}  // namespace
}  // namespace zn::testing
