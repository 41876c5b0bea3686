// What the main program's dialogs share: a fixed-size window centred on the
// screen, owned by the window that is active when it opens, run modally
// until one of its buttons ends it.
#pragma once

#include "platform/win32/win32_window.h"

namespace zn::win32 {

class ModalDialog : public Window {
public:
    // True when the dialog ended with OK. focus gets the keyboard first.
    bool runModal(HWND focus);
    bool isRunning() const { return running_; }

protected:
    // Makes the window with this caption; the client area is clientWidth ×
    // clientHeight, or, when outer is set, the whole window is that size.
    void createDialog(const char* className, const std::string& caption, int width, int height,
                      bool outer, DWORD style);
    void end(bool accepted);
    // The client area's size.
    SIZE clientSize() const;

private:
    bool running_ = false;
    bool ended_ = false;
    bool accepted_ = false;
};

// The dialog font in bold (and underlined), for headings; deleted with its holder.
class HeadingFont {
public:
    explicit HeadingFont(bool underline);
    ~HeadingFont();
    HeadingFont(const HeadingFont&) = delete;
    HeadingFont& operator=(const HeadingFont&) = delete;
    HFONT get() const { return font_; }
    void applyTo(HWND control) const;

private:
    HFONT font_ = nullptr;
};

}  // namespace zn::win32
