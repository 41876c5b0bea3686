// znvault.exe: wires the main window's logic to the Windows registry, the
// Win32 services and the native views, then runs the message loop.
#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/win32/main_window_frame.h"
#include "app/win32/session_end.h"
#include "app/win32/win32_app_dialogs.h"
#include "desktop/system_tray.h"
#include "platform/win32/application_window.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"

namespace {

std::string programPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

// Until the notification-area icon has its Win32 implementation, the program
// runs as on a desktop without one: the "Icon" setting shows nothing.
class NoNotificationArea : public zn::NotificationArea {
public:
    bool shellCapable() const override { return false; }
    bool addIcon(const std::string&) override { return false; }
    void modifyIcon(const std::string&) override {}
    void removeIcon() override {}
    zn::ScreenPoint cursorPosition() const override { return {}; }
    bool applicationWindowVisible() const override { return false; }
    void setNotificationHandler(std::function<void(zn::TrayMouseMessage)>) override {}
};

}  // namespace

int main(int argc, char** argv) {
    using namespace zn::win32;
    // Setup tells that the program runs by this window's title; hotkeys,
    // timers and the end of the session send their messages to it.
    ApplicationWindow applicationWindow(zn::kApplicationTitle);

    zn::win32::Win32Registry registry;
    Win32MessageBoxes messages(zn::kApplicationTitle);
    Win32Timers timers(applicationWindow);
    Win32Collation collation;
    Win32KeyboardLayout keyboard;
    Win32Clipboard clipboard;
    Win32Shell shell;
    // The hotkeys are registered by the start-up sequence, after the form exists.
    zn::TForm1* hotkeyTarget = nullptr;
    Win32Hotkeys hotkeys(applicationWindow, [&hotkeyTarget](int id) {
        if (hotkeyTarget) hotkeyTarget->dispatcher().run([&] { hotkeyTarget->WMHotkey(id); });
    });
    NoNotificationArea trayArea;
    zn::TOrvSystemTray tray(trayArea, zn::kApplicationTitle);
    // The options window is wired here once it exists; until then "&Options"
    // opens nothing and changes nothing.
    Win32AppDialogs dialogs(messages, {});

    MainWindowFrame window;
    zn::TForm1 form(zn::MainWindowServices{registry, messages, timers, collation, hotkeys, keyboard,
                                           tray, dialogs, clipboard, shell, programPath(),
                                           std::vector<std::string>(argv + 1, argv + argc)},
                    window);
    window.attach(form);
    hotkeyTarget = &form;
    answerSessionEnd(applicationWindow, form);

    // Still to be wired here as their native parts land: the tray icon's
    // settings and menu (tray.setHint, setPopupMenu, OnDblClick), the capture
    // (form.setCaptureAction) and the import (form.setImportPorts). Without
    // them the capture hotkey and "&Import" do nothing.
    tray.setHint(zn::kApplicationTitle);
    tray.setNormalIcon(true);

    form.FormCreate();
    const int result = runMessageLoop();
    // The window's list view watches the form's list, which goes first.
    hotkeyTarget = nullptr;
    window.detach();
    return result;
}
