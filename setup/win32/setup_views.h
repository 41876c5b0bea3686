// The setup program's four windows as native windows, placed as designed.
// Each shows what its logic holds and forwards clicks and closes to its
// handlers, as the Qt views do.
#pragma once

#include <functional>

#include "platform/win32/win32_window.h"
#include "setup/setup_windows.h"

namespace zn::setup::win32 {

// A GDI object deleted with its scope.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }
    HFONT font() const { return static_cast<HFONT>(object_); }

private:
    HGDIOBJ object_;
};

// The backdrop: the application's main window, shown maximized behind the
// rest. Owned by the application window, which has the task-bar button.
class BackdropView : public zn::win32::Window {
public:
    BackdropView(SetupProgram& program, HWND applicationWindow);
    // Shows it and then runs its FormShow: once, on the program's show, and
    // not again when a restore from the task bar brings it back.
    void show();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SetupProgram& program_;
    GdiObject captionFont_;
};

// The three dialogs share how they show and close: modal over the backdrop,
// and every close, from a button, the keyboard or the rules, reaches the
// logic's FormClose once per close.
class SetupDialog : public zn::win32::Window {
public:
    // Centred on the screen, then modal until closed.
    void runModal();
    void close();
    void hide() { ShowWindow(handle(), SW_HIDE); }
    bool visible() const { return IsWindowVisible(handle()) != 0; }

protected:
    SetupDialog(SetupProgram& program, HWND owner, const char* className, const char* caption,
                int clientWidth, int clientHeight);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void formShow() {}
    virtual void formClose() {}
    // A button or another control's notification; Escape arrives as IDCANCEL.
    virtual void command(int id, int notification) = 0;
    // Paints the window's pictures and drawn labels.
    virtual void paint(HDC) {}

    SetupProgram& program_;

private:
    HWND owner_;
    HWND focus_ = nullptr;
    bool open_ = false;
};

class LicenceView : public SetupDialog {
public:
    LicenceView(SetupProgram& program, HWND owner);

protected:
    void formShow() override;
    void formClose() override;
    void command(int id, int notification) override;
    void paint(HDC dc) override;

private:
    GdiObject headingFont_;
};

// The panel that covers the installation screen's controls: the notice while
// installing, and the completion panel with its OK button.
class PanelView : public zn::win32::Window {
public:
    PanelView(HWND parent, RECT bounds, std::function<void(HDC)> paint);
    // A child button whose click reaches clicked.
    HWND addButton(const char* text, RECT bounds, int id, std::function<void()> clicked);
    HWND addHidden(const char* controlClass, const char* text, DWORD style, int id);

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(HDC)> paint_;
    std::function<void()> clicked_;
    int buttonId_ = 0;
};

class InstallationView : public SetupDialog {
public:
    InstallationView(SetupProgram& program, HWND owner);
    void showLogic();

protected:
    void formClose() override;
    void command(int id, int notification) override;
    void paint(HDC dc) override;

private:
    void forward(void (TForm1::*handler)());
    void keepControls();

    GdiObject noticeFont_;
    GdiObject completionFont_;
    HWND folder_;
    HWND desktop_;
    HWND startMenu_;
    HWND browse_;
    HWND install_;
    HWND quit_;
    PanelView notice_;
    PanelView completion_;
    HWND ok_;
    HWND runNow_;
    HWND releaseNotes_;
};

class ChooserView : public SetupDialog {
public:
    ChooserView(SetupProgram& program, HWND owner);
    void showLogic();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void formShow() override;
    void formClose() override;
    void command(int id, int notification) override;

private:
    void forward(const std::function<void(TForm3&)>& handler);

    HWND places_;
    HWND directories_;
    HWND folder_;
    bool showing_ = false;
};

}  // namespace zn::setup::win32
