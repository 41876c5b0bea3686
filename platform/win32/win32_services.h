// The small services over the Win32 API: message boxes, the default sound,
// the clipboard, the shell, one-shot timers, hotkeys, the keyboard layout's
// key names and the user's text order.
#pragma once

#include <map>

#include "platform/beep.h"
#include "platform/clipboard.h"
#include "platform/hotkeys.h"
#include "platform/keyboard_layout.h"
#include "platform/message_boxes.h"
#include "platform/shell.h"
#include "platform/text_collation.h"
#include "platform/timers.h"
#include "platform/win32/application_window.h"

namespace zn::win32 {

class Win32MessageBoxes : public MessageBoxes {
public:
    explicit Win32MessageBoxes(std::string applicationTitle)
        : applicationTitle_(std::move(applicationTitle)) {}
    MessageAnswer show(MessageKind kind, const std::string& text, MessageButtons buttons) override;
    void showApplicationError(const std::string& text) override;
    void showPlain(const std::string& text) override;

private:
    std::string applicationTitle_;
};

class Win32Beep : public Beep {
public:
    void play() override { MessageBeep(0); }
};

// Opened with the application window as its owner, as the system wants it
// for setting data; another program holding it open makes text() and
// setText() raise a runtime_error.
class Win32Clipboard : public Clipboard {
public:
    explicit Win32Clipboard(ApplicationWindow& owner) : owner_(owner) {}
    bool hasText() const override;
    std::string text() const override;
    void setText(const std::string& text) override;

private:
    ApplicationWindow& owner_;
};

inline constexpr const char* kClipboardHeldMessage = "Cannot open clipboard";
inline constexpr const char* kClipboardRefusedMessage = "Cannot set clipboard data";

class Win32Shell : public Shell {
public:
    void openDocument(const std::string& target, const std::string& workingFolder) override;
    void openSite(const std::string& site) override;
    void startProgram(const std::string& program, const std::string& parameter) override;
    bool startMinimised(const std::string& program, const std::string& parameter) override;
};

// Fires from WM_TIMER on the application window.
class Win32Timers : public Timers {
public:
    explicit Win32Timers(ApplicationWindow& window);
    ~Win32Timers() override;
    void startOneShot(int milliseconds, std::function<void()> fire) override;

private:
    ApplicationWindow& window_;
    std::map<UINT_PTR, std::function<void()>> pending_;
    UINT_PTR nextId_ = 1;
};

// RegisterHotKey on the application window; a press calls pressed with its id.
class Win32Hotkeys : public Hotkeys {
public:
    Win32Hotkeys(ApplicationWindow& window, std::function<void(int id)> pressed);
    ~Win32Hotkeys() override;
    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override;
    void unregisterHotkey(int id) override;

private:
    ApplicationWindow& window_;
    std::map<int, bool> registered_;
};

class Win32KeyboardLayout : public KeyboardLayout {
public:
    std::string keyName(unsigned virtualKey) const override;
};

// The user's locale, as CompareStringA orders texts.
class Win32Collation : public TextCollation {
public:
    std::string sortKey(const std::string& text) const override;
    std::string sortKeyIgnoringCase(const std::string& text) const override;
    bool equalIgnoringCase(const std::string& a, const std::string& b) const override;
};

// The window a box belongs to: the active one of ours, when it shows.
HWND messageOwner();

// Quotes one argument of a command line so that the program's start-up code
// reads it back whole, blanks, quotes and backslashes included.
std::string quotedArgument(const std::string& argument);

}  // namespace zn::win32
