// The window list against an Xvfb of its own, with windows this test makes:
// the server's own order without a window manager, the stacking list when
// one is published, the two kinds of names, and the walk through descendants.
#include "platform/linux/x11_window_list.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/desktop/xvfb_server.h"

namespace zn {
namespace {

using testing::XvfbServer;

// Another client of the display that makes the windows.
class WindowMaker {
public:
    explicit WindowMaker(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)),
          screen_(xcb_setup_roots_iterator(xcb_get_setup(connection_)).data) {}
    ~WindowMaker() { xcb_disconnect(connection_); }
    WindowMaker(const WindowMaker&) = delete;
    WindowMaker& operator=(const WindowMaker&) = delete;

    xcb_window_t root() const { return screen_->root; }

    xcb_window_t window(xcb_window_t parent, bool mapped = true) {
        const xcb_window_t id = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, id, parent, 0, 0, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
        if (mapped) xcb_map_window(connection_, id);
        return id;
    }
    // WM_NAME as Latin-1 STRING, or _NET_WM_NAME as UTF-8.
    void name(xcb_window_t window, const std::string& text, bool utf8 = false) {
        const xcb_atom_t property = utf8 ? atom("_NET_WM_NAME") : xcb_atom_t(XCB_ATOM_WM_NAME);
        const xcb_atom_t type = utf8 ? atom("UTF8_STRING") : xcb_atom_t(XCB_ATOM_STRING);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                            std::uint32_t(text.size()), text.data());
    }
    void pid(xcb_window_t window, std::uint32_t process) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &process);
    }
    void publishStacking(const std::vector<xcb_window_t>& bottomToTop) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root(),
                            atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW, 32,
                            std::uint32_t(bottomToTop.size()), bottomToTop.data());
    }
    void sync() {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

private:
    xcb_atom_t atom(const std::string& name) {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::uint16_t(name.size()), name.c_str()),
            nullptr);
        const xcb_atom_t value = reply->atom;
        std::free(reply);
        return value;
    }

    xcb_connection_t* connection_;
    xcb_screen_t* screen_;
};

class X11WindowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        maker.emplace(server.display());
        alpha = maker->window(maker->root());
        maker->name(alpha, "Alpha caf\xE9");  // Latin-1
        beta = maker->window(maker->root(), false);
        maker->name(beta, "old name");
        maker->name(beta, "Bêta ✓", true);
        untitled = maker->window(maker->root());
        maker->sync();
    }

    std::vector<std::pair<WindowHandle, std::string>> listed() {
        std::vector<std::pair<WindowHandle, std::string>> windows;
        for (const auto& window : list.topLevelWindows())
            windows.emplace_back(window.handle, window.title);
        return windows;
    }

    XvfbServer server;
    std::optional<WindowMaker> maker;
    X11WindowList list{server.display().c_str()};
    xcb_window_t alpha = 0, beta = 0, untitled = 0;
};

TEST_F(X11WindowListTest, WithoutAWindowManagerTheNewestChildComesFirst) {
    using Listed = std::vector<std::pair<WindowHandle, std::string>>;
    EXPECT_EQ(listed(), (Listed{{untitled, ""}, {beta, "Bêta ✓"}, {alpha, "Alpha café"}}));
    EXPECT_EQ(list.findWindow("Bêta ✓"), beta);
    EXPECT_EQ(list.findWindow("Bêta"), 0u);
    EXPECT_EQ(list.findWindow("old name"), 0u);
}

TEST_F(X11WindowListTest, APublishedStackingListGivesTheOrderThenTheRest) {
    maker->publishStacking({beta, alpha});
    maker->sync();
    using Listed = std::vector<std::pair<WindowHandle, std::string>>;
    EXPECT_EQ(listed(), (Listed{{alpha, "Alpha café"}, {beta, "Bêta ✓"}, {untitled, ""}}));
}

TEST_F(X11WindowListTest, DescendantsDepthFirstTopmostFirstUntilTheVisitStops) {
    const xcb_window_t first = maker->window(alpha);
    const xcb_window_t second = maker->window(alpha);  // above first
    maker->name(first, "Keyword");
    maker->name(maker->window(second), "inner");
    maker->name(second, "outer");
    maker->sync();
    std::vector<std::string> texts;
    list.visitDescendants(alpha, [&](const std::string& text) {
        texts.push_back(text);
        return true;
    });
    EXPECT_EQ(texts, (std::vector<std::string>{"outer", "inner", "Keyword"}));
    texts.clear();
    list.visitDescendants(alpha, [&](const std::string& text) {
        texts.push_back(text);
        return texts.size() < 2;
    });
    EXPECT_EQ(texts.size(), 2u);
    list.visitDescendants(0x7fffffff, [](const std::string&) { return ADD_FAILURE(), true; });
}

TEST_F(X11WindowListTest, TheFrontmostTitledWindowOfAProcess) {
    maker->pid(untitled, 4242);
    maker->pid(alpha, 4242);
    maker->pid(beta, 17);
    maker->sync();
    EXPECT_EQ(list.frontTitleOf(4242), "Alpha café");
    EXPECT_EQ(list.frontTitleOf(17), "Bêta ✓");
    EXPECT_EQ(list.frontTitleOf(99), "");
    // An unmapped window of the same process above the shown one does not win.
    const xcb_window_t leader = maker->window(maker->root(), false);
    maker->name(leader, "chromium");
    maker->pid(leader, 4242);
    maker->sync();
    EXPECT_EQ(list.frontTitleOf(4242), "Alpha café");
}

TEST(X11WindowListWithoutDisplay, ListsNothing) {
    X11WindowList list(":64999");
    EXPECT_TRUE(list.topLevelWindows().empty());
    EXPECT_EQ(list.findWindow(""), 0u);
}

}  // namespace
}  // namespace zn
