// The capture chooser's native window: made once at program start and
// reused; it shows the three boxes as TwBoth holds them and hands back the
// ticks.
#pragma once

#include <array>

#include "capture/chooser.h"
#include "platform/win32/win32_window.h"

namespace zn::win32 {

class ChooserWindow : public Window {
public:
    // owner: the window that stays disabled while the chooser shows; may be
    // null.
    explicit ChooserWindow(HWND owner = nullptr);

    // Modal; true when closed with OK, the ticks then copied into dialog.
    bool run(TwBoth& dialog);
    HWND box(std::size_t source) const { return control(kFirstBoxId + static_cast<int>(source)); }

    static constexpr int kFirstBoxId = 101;  // CheckBox1; CheckBox2 and 3 follow

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Result { Open, Ok, Cancel };

    HWND owner_;
    HWND tips_ = nullptr;  // owned by the window, so destroyed with it
    Result result_ = Result::Open;
};

class Win32ChooserDialog : public ChooserDialog {
public:
    explicit Win32ChooserDialog(HWND owner = nullptr) : window_(owner) {}
    bool runChooser(TwBoth& dialog) override { return window_.run(dialog); }
    ChooserWindow& window() { return window_; }

private:
    ChooserWindow window_;
};

}  // namespace zn::win32
