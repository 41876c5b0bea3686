// Fakes of the capture's ports: browsers that answer from a table, a desktop
// of scripted windows, a bell that counts, a chooser that ticks from a script,
// a message loop that counts, and a notification area that records.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "capture/chooser.h"
#include "platform/beep.h"
#include "platform/page_query.h"
#include "platform/tray_icon.h"
#include "platform/window_list.h"
#include "tests/fakes/counting_pump.h"

namespace zn::testing {

class FakePageQuery : public PageQuery {
public:
    // The replies to a service's requests in turn; the last one repeats.
    // A service with none never answers.
    std::map<std::string, std::vector<std::optional<std::string>>> answers;
    // Services whose browser runs but never answers; any other without an
    // answer refuses the connection.
    std::set<std::string> running;
    std::vector<std::string> requests;

    void answer(const std::string& service, std::optional<std::string> reply) {
        answers[service] = {std::move(reply)};
    }

    std::optional<std::string> request(const std::string& service) override {
        const std::size_t turn =
            static_cast<std::size_t>(std::count(requests.begin(), requests.end(), service));
        requests.push_back(service);
        refused_ = running.count(service) == 0;
        const auto it = answers.find(service);
        if (it == answers.end() || it->second.empty()) return std::nullopt;
        return it->second[std::min(turn, it->second.size() - 1)];
    }
    bool lastRequestRefused() const override { return refused_; }

private:
    bool refused_ = false;
};

struct FakeWindow {
    std::string title;
    std::vector<std::string> descendants;  // their texts, in enumeration order
};

// Windows front to back; a window's handle is its position plus one.
class FakeWindowList : public WindowList {
public:
    std::vector<FakeWindow> windows;
    std::vector<WindowHandle> visitedWindows;
    std::vector<std::string> visitedTexts;
    // Set to make findWindow miss, as when the window closed meanwhile.
    bool windowGone = false;

    std::vector<TopLevelWindow> topLevelWindows() override {
        std::vector<TopLevelWindow> result;
        for (std::size_t i = 0; i < windows.size(); ++i)
            result.push_back({static_cast<WindowHandle>(i + 1), windows[i].title});
        return result;
    }
    WindowHandle findWindow(const std::string& title) override {
        if (windowGone) return 0;
        for (std::size_t i = 0; i < windows.size(); ++i)
            if (windows[i].title == title) return static_cast<WindowHandle>(i + 1);
        return 0;
    }
    void visitDescendants(WindowHandle window,
                          const std::function<bool(const std::string&)>& visit) override {
        visitedWindows.push_back(window);
        for (const std::string& text : windows.at(window - 1).descendants) {
            visitedTexts.push_back(text);
            if (!visit(text)) return;
        }
    }
    bool existsTitled(const std::string& title) override {
        return std::any_of(windows.begin(), windows.end(),
                           [&title](const FakeWindow& window) { return window.title == title; });
    }
};

class CountingBeep : public Beep {
public:
    void play() override {
        ++count;
        if (onPlay) onPlay();
    }
    int count = 0;
    std::function<void()> onPlay;
};

// What the next chooser does: the boxes it ticks and whether OK is pressed.
struct ChooserScript {
    ChooserScript(std::vector<bool> ticks = {false, false, false}, bool pressOk = true,
                  std::function<void()> whileOpen = nullptr)
        : ticks(std::move(ticks)), pressOk(pressOk), whileOpen(std::move(whileOpen)) {}
    std::vector<bool> ticks;
    bool pressOk;
    std::function<void()> whileOpen;
};

class FakeChooser : public ChooserDialog {
public:
    std::deque<ChooserScript> scripts;
    std::vector<TwBoth> shown;  // the boxes as each chooser opened

    bool runChooser(TwBoth& dialog) override {
        shown.push_back(dialog);
        if (scripts.empty()) return false;
        ChooserScript script = std::move(scripts.front());
        scripts.pop_front();
        if (script.whileOpen) script.whileOpen();
        for (std::size_t source = 0; source < script.ticks.size(); ++source)
            dialog.box(source).checked = script.ticks[source];
        return script.pressOk;
    }
};

class FakeNotificationArea : public NotificationArea {
public:
    bool shellCapable() const override { return capable; }
    bool addIcon(const std::string& tip) override {
        calls.push_back("add " + tip);
        if (refuse) return false;
        shownTip = tip;
        shown = true;
        return true;
    }
    void modifyIcon(const std::string& tip) override {
        calls.push_back("modify " + tip);
        shownTip = tip;
    }
    void removeIcon() override {
        calls.push_back("remove");
        shown = false;
    }
    ScreenPoint cursorPosition() const override { return cursor; }
    bool applicationWindowVisible() const override { return applicationVisible; }
    void setNotificationHandler(std::function<void(TrayMouseMessage)> handler) override {
        this->handler = std::move(handler);
    }
    void setArrivalHandler(std::function<void()> handler) override {
        arrival = std::move(handler);
    }

    std::function<void()> arrival;
    bool capable = true;
    bool refuse = false;
    bool applicationVisible = false;
    ScreenPoint cursor{300, 700};
    bool shown = false;
    std::string shownTip;
    std::vector<std::string> calls;
    std::function<void(TrayMouseMessage)> handler;
};

class RecordingMenu : public PopupMenu {
public:
    void popUp(ScreenPoint at) override { poppedAt.push_back(at); }
    std::vector<ScreenPoint> poppedAt;
};

}  // namespace zn::testing
