// What the main window's logic asks of its window. Sizes and positions are
// the outer window's, in pixels, as the logic computes them.
#pragma once

#include <string>

namespace zn {

enum class Panel { Lock, List };

struct ScreenSize {
    int width = 0;
    int height = 0;
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    virtual ScreenSize screenSize() const = 0;
    virtual void moveWindow(int left, int top) = 0;
    virtual void resizeWindow(int width, int height) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // Shows this panel and hides the other.
    virtual void showPanel(Panel panel) = 0;

    virtual std::string passwordFieldText() const = 0;
    virtual void clearPasswordField() = 0;
    virtual void focusPasswordField() = 0;

    virtual bool isWindowVisible() const = 0;
    virtual void showWindow() = 0;
    // Hiding must reach TForm1::FormHide, whatever hid the window.
    virtual void hideWindow() = 0;
    virtual void setMinimized(bool minimized) = 0;
    virtual void bringToFront() = 0;
};

}  // namespace zn
