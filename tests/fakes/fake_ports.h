// Fakes of the small ports: message boxes that answer from a script and
// record what they showed, timers fired by hand, a byte-order collation,
// hotkeys, a keyboard layout, a tray icon, a clipboard and a shell that
// record what they were asked.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "platform/hotkeys.h"
#include "platform/keyboard_layout.h"
#include "platform/message_boxes.h"
#include "platform/shell.h"
#include "platform/text_collation.h"
#include "platform/timers.h"
#include "platform/tray_icon.h"

namespace zn::testing {

struct ShownMessage {
    MessageKind kind;
    std::string text;
    MessageButtons buttons;
    bool applicationError = false;
    bool plain = false;  // captioned with the application's title, no icon
};

class FakeMessageBoxes : public MessageBoxes {
public:
    // Answers for the next Yes/No boxes, in order. A question nobody scripted
    // fails the test: its answer would decide what the test goes on to check.
    void answer(MessageAnswer next) { answers_.push_back(next); }
    // Runs while the next box is "showing", as a message arriving meanwhile would.
    void whileShowing(std::function<void()> work) { duringNext_ = std::move(work); }

    MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons) override {
        shown.push_back({kind, text, buttons});
        if (auto work = std::exchange(duringNext_, nullptr)) work();
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (answers_.empty()) {
            failUnscriptedQuestion(text);
            return MessageAnswer::No;
        }
        const MessageAnswer next = answers_.front();
        answers_.pop_front();
        return next;
    }
    void showApplicationError(const std::string& text) override {
        shown.push_back({MessageKind::Error, text, MessageButtons::Ok, true});
    }
    void showPlain(const std::string& text) override {
        shown.push_back({MessageKind::Information, text, MessageButtons::Ok, false, true});
    }

    std::vector<ShownMessage> shown;

private:
    static void failUnscriptedQuestion(const std::string& text);

    std::deque<MessageAnswer> answers_;
    std::function<void()> duringNext_;
};

class ManualTimers : public Timers {
public:
    void startOneShot(int milliseconds, std::function<void()> fire) override {
        pending.push_back({milliseconds, std::move(fire)});
    }
    // Fires the oldest pending timer; false when none is armed.
    bool fireNext() {
        if (pending.empty()) return false;
        auto timer = std::move(pending.front());
        pending.pop_front();
        timer.second();
        return true;
    }
    int nextDelay() const { return pending.empty() ? -1 : pending.front().first; }

    std::deque<std::pair<int, std::function<void()>>> pending;
};

// Plain byte order, ASCII case folding: enough to test the rules' use of order.
class ByteCollation : public TextCollation {
public:
    std::string sortKey(const std::string& text) const override { return text; }
    std::string sortKeyIgnoringCase(const std::string& text) const override;
    bool equalIgnoringCase(const std::string& a, const std::string& b) const override;
};

struct HotkeyCall {
    bool registered;  // false: unregistered
    int id;
    unsigned modifiers;
    unsigned keyCode;
};

class RecordingHotkeys : public Hotkeys {
public:
    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override {
        calls.push_back({true, id, modifiers, keyCode});
        return accept;
    }
    void unregisterHotkey(int id) override { calls.push_back({false, id, 0, 0}); }

    std::vector<HotkeyCall> calls;
    bool accept = true;
};

// A US layout's names for the punctuation keys.
class FakeKeyboardLayout : public KeyboardLayout {
public:
    std::string keyName(unsigned virtualKey) const override {
        static const std::map<unsigned, std::string> names = {
            {0xBA, ";"}, {0xBB, "="}, {0xBC, ","},    {0xBD, "-"},  {0xBE, "."},
            {0xBF, "/"}, {0xC0, "`"}, {0xDB, "["},    {0xDC, "\\"}, {0xDD, "]"},
            {0xDE, "'"}, {0x6A, "*"}, {0x13, "Pause"}};
        const auto it = names.find(virtualKey);
        return it == names.end() ? std::string() : it->second;
    }
};

class FakeTrayIcon : public TrayIcon {
public:
    void setEnabled(bool enabled) override {
        if (enabled && refuse) throw std::runtime_error("Cannot create shell notification Icon");
        enabled_ = enabled;
    }
    bool isEnabled() const override { return enabled_; }

    bool refuse = false;

private:
    bool enabled_ = false;
};

class FakeClipboard : public Clipboard {
public:
    bool hasText() const override { return holdsText; }
    std::string text() const override { return holdsText ? contents : std::string(); }
    void setText(const std::string& text) override {
        contents = text;
        holdsText = true;
    }
    // As when a picture or a file list was copied.
    void holdNoText() {
        contents.clear();
        holdsText = false;
    }

    std::string contents;
    bool holdsText = false;
};

struct Launch {
    bool program;  // true: startProgram, false: openDocument
    std::string target;
    std::string argumentOrFolder;
};

class RecordingShell : public Shell {
public:
    void openDocument(const std::string& target, const std::string& workingFolder) override {
        launches.push_back({false, target, workingFolder});
    }
    void startProgram(const std::string& program, const std::string& parameter) override {
        launches.push_back({true, program, parameter});
    }
    bool startMinimised(const std::string& program, const std::string& parameter) override {
        startProgram(program, parameter);
        ++minimisedStarts;
        return !refuseStarts;
    }

    bool refuseStarts = false;
    int minimisedStarts = 0;

    std::vector<Launch> launches;
};

}  // namespace zn::testing
