// The tray icon component over a recording notification area: when the icon
// is added, changed and removed, and what the mouse on it does.
#include <gtest/gtest.h>

#include <stdexcept>

#include "desktop/system_tray.h"
#include "tests/fakes/fake_capture.h"

namespace zn::testing {
namespace {

using Calls = std::vector<std::string>;

class Tray : public ::testing::Test {
protected:
    FakeNotificationArea area;
    TOrvSystemTray tray{area, "Zintrel"};
};

TEST_F(Tray, TheIconExistsExactlyWhileEnabledWithANormalIcon) {
    tray.setHint("Zintrel");
    tray.setNormalIcon(true);
    EXPECT_TRUE(area.calls.empty());
    tray.setEnabled(true);
    tray.setEnabled(true);  // already shown: not added twice
    EXPECT_TRUE(area.shown);
    tray.setEnabled(false);
    EXPECT_EQ(area.calls, (Calls{"add Zintrel", "remove"}));
    EXPECT_FALSE(tray.iconShown());
}

TEST_F(Tray, WithoutANormalIconItShowsOnlyWhileMinimised) {
    tray.setEnabled(true);
    EXPECT_FALSE(area.shown);
    tray.ApplicationMinimize();
    EXPECT_TRUE(area.shown);
    tray.ApplicationRestore();
    EXPECT_FALSE(area.shown);

    tray.setNormalIcon(true);
    EXPECT_TRUE(area.shown);
    tray.setNormalIcon(false);  // not minimised: removed again
    EXPECT_FALSE(area.shown);
}

TEST_F(Tray, MinimiseAndRestoreRaiseTheirEventsAndKeepAShownIcon) {
    int minimised = 0, restored = 0;
    tray.OnMinimize = [&] { ++minimised; };
    tray.OnRestore = [&] { ++restored; };
    tray.setNormalIcon(true);
    tray.setEnabled(true);
    area.calls.clear();
    tray.ApplicationMinimize();
    tray.ApplicationRestore();
    EXPECT_EQ(area.calls, (Calls{"modify Zintrel"}));
    EXPECT_EQ(minimised, 1);
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(area.shown);
}

TEST_F(Tray, ARefusedIconRaisesTheMessageAndStaysUnshown) {
    area.refuse = true;
    tray.setNormalIcon(true);
    try {
        tray.setEnabled(true);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot create shell notification Icon");
    }
    EXPECT_FALSE(tray.iconShown());
    tray.setHint("Other");  // nothing shown, nothing to change
    EXPECT_EQ(area.calls, (Calls{"add Zintrel"}));
}

TEST_F(Tray, ADesktopWithoutANotificationAreaNeverGetsTheIcon) {
    area.capable = false;
    tray.setNormalIcon(true);
    tray.setEnabled(true);
    tray.setEnabled(false);
    EXPECT_TRUE(area.calls.empty());
}

TEST_F(Tray, TheTipIsTheHintCutTo63CharactersOrTheTitle) {
    tray.setNormalIcon(true);
    tray.setEnabled(true);
    EXPECT_EQ(area.shownTip, "Zintrel");  // no hint yet: the application's title
    const std::string long70(70, 'h');
    tray.setHint(long70);
    EXPECT_EQ(area.shownTip, std::string(63, 'h'));
    EXPECT_EQ(tray.hint(), long70);
    // Characters, not bytes: a letter of two bytes is never cut in half.
    const std::string accented = std::string(62, 'a') + "éé";
    tray.setHint(accented);
    EXPECT_EQ(area.shownTip, std::string(62, 'a') + "é");
    area.calls.clear();
    tray.setHint(accented);  // unchanged: nothing sent
    tray.setHint("");
    EXPECT_EQ(area.calls, (Calls{"modify "}));
}

TEST_F(Tray, MouseActionsRaiseTheirEventsAndARightClickPopsTheMenuAtTheCursor) {
    RecordingMenu menu;
    Calls events;
    tray.OnClick = [&] { events.push_back("click"); };
    tray.OnDblClick = [&] { events.push_back("double"); };
    tray.OnRightClick = [&](ScreenPoint at) {
        events.push_back("right " + std::to_string(at.x) + "," + std::to_string(at.y) + " menus " +
                         std::to_string(menu.poppedAt.size()));
    };
    area.handler(TrayMouseMessage::RightButtonUp);  // no menu yet
    tray.setPopupMenu(&menu);
    area.handler(TrayMouseMessage::LeftButtonUp);
    area.handler(TrayMouseMessage::LeftButtonDoubleClick);
    area.handler(TrayMouseMessage::Other);
    area.handler(TrayMouseMessage::RightButtonUp);
    EXPECT_EQ(events, (Calls{"right 300,700 menus 0", "click", "double", "right 300,700 menus 1"}));
    ASSERT_EQ(menu.poppedAt.size(), 1u);
    EXPECT_EQ(menu.poppedAt[0].x, 300);
    EXPECT_EQ(menu.poppedAt[0].y, 700);
}

TEST_F(Tray, TheMenuWaitsForAHiddenApplicationUnlessTheIconIsNormal) {
    RecordingMenu menu;
    tray.setPopupMenu(&menu);
    area.applicationVisible = true;
    tray.notify(TrayMouseMessage::RightButtonUp);
    EXPECT_TRUE(menu.poppedAt.empty());
    tray.setNormalIcon(true);
    tray.notify(TrayMouseMessage::RightButtonUp);
    EXPECT_EQ(menu.poppedAt.size(), 1u);
}

TEST(TrayLifetime, AnEnabledIconIsRemovedWithTheComponent) {
    FakeNotificationArea area;
    {
        TOrvSystemTray tray(area, "Zintrel");
        tray.setNormalIcon(true);
        tray.setEnabled(true);
    }
    EXPECT_FALSE(area.shown);
    EXPECT_FALSE(area.handler);
}

}  // namespace
}  // namespace zn::testing
