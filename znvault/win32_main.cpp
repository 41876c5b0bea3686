// znvault.exe: wires the main window's logic to the Windows registry, the
// Win32 services and the native views, then runs the message loop. A start
// that only asks for an action hands it to the copy already running and ends
// before any of that.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/hand_over_inbox.h"
#include "app/main_window.h"
#include "app/win32/main_window_frame.h"
#include "app/win32/session_end.h"
#include "app/win32/win32_app_dialogs.h"
#include "capture/page_capture.h"
#include "capture/win32/chooser_window.h"
#include "desktop/system_tray.h"
#include "desktop/win32/tray_menu.h"
#include "import/win32/win32_import_dialogs.h"
#include "platform/win32/application_window.h"
#include "platform/win32/dde_page_query.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_folder_picker.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_message_pump.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_tray_icon.h"
#include "platform/win32/win32_window_list.h"
#include "settings/win32/options_window.h"

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

// A windowed program has no console of its own: help printed from a
// command prompt goes to the prompt's.
void writeTo(DWORD stream, FILE* file, const std::string& text) {
    if (text.empty()) return;
    const HANDLE handle = GetStdHandle(stream);
    if ((handle == nullptr || handle == INVALID_HANDLE_VALUE) &&
        AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", file);
    std::fputs(text.c_str(), file);
    std::fflush(file);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zn::win32;
    const zn::CommandLine commandLine =
        zn::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    Win32InstanceChannel handOverLine;
    zn::StartDecision start = zn::decideStart(commandLine, handOverLine);
    if (start.exitNow) {
        writeTo(STD_OUTPUT_HANDLE, stdout, start.standardOutput);
        writeTo(STD_ERROR_HANDLE, stderr, start.standardError);
        return start.exitStatus;
    }
    // Setup tells that the program runs by this window's title; hotkeys,
    // timers, the tray icon and the end of the session send their messages to it.
    ApplicationWindow applicationWindow(zn::kApplicationTitle);

    Win32Registry registry;
    Win32MessageBoxes messages(zn::kApplicationTitle);
    Win32Timers timers(applicationWindow);
    Win32Collation collation;
    Win32KeyboardLayout keyboard;
    Win32Clipboard clipboard(applicationWindow);
    Win32Shell shell;
    // The hotkeys are registered by the start-up sequence, after the form exists.
    zn::TForm1* hotkeyTarget = nullptr;
    const auto runHotkey = [&hotkeyTarget](int id) {
        if (hotkeyTarget) hotkeyTarget->dispatcher().run([&] { hotkeyTarget->WMHotkey(id); });
    };
    Win32Hotkeys hotkeys(applicationWindow, runHotkey);
    // A hand-over is a hotkey press from another process: the same handler,
    // held until the start-up sequence has run.
    zn::HandOverInbox handOvers(
        [&runHotkey](zn::HandOverAction action) { runHotkey(zn::hotkeyIdOf(action)); });
    HandOverReceiver handOverReceiver(
        applicationWindow, [&handOvers](zn::HandOverAction action) { handOvers.receive(action); });
    // An action's start lets its lock go once its window answers: a start
    // that waited for it now finds this copy and hands its action over.
    start.startLock.reset();
    Win32TrayIcon trayArea(applicationWindow);
    zn::TOrvSystemTray tray(trayArea, zn::kApplicationTitle);

    MainWindowFrame window;
    Win32AppDialogs dialogs(messages, [&keyboard, &window](zn::TwOptions& options) {
        return runOptionsWindow(options, keyboard, window.handle());
    });
    zn::TForm1 form(zn::MainWindowServices{registry, messages, timers, collation, hotkeys, keyboard,
                                           tray, dialogs, clipboard, shell, programPath(),
                                           commandLine.programArguments},
                    window);
    window.attach(form);
    hotkeyTarget = &form;
    answerSessionEnd(applicationWindow, form);

    // The tray icon's own settings and its menu.
    TrayMenu trayMenu(form, applicationWindow.handle(), window.handle());
    tray.setHint(zn::kApplicationTitle);
    tray.setPopupMenu(&trayMenu);
    tray.setNormalIcon(true);
    tray.OnDblClick = [&form] { form.dispatcher().run([&] { form.ShowWindow(); }); };
    window.setRestoreHandler([&tray] { tray.ApplicationRestore(); });

    // The capture with its chooser, made once; the chooser keeps the main
    // window disabled while it shows.
    Win32ChooserDialog chooser(window.handle());
    Win32Beep beep;
    Win32MessagePump pump;
    DdePageQuery pages;
    Win32WindowList windows;
    zn::PageCapture capture(form, window, {pages, windows, shell, beep, messages, chooser, pump});
    form.setCaptureAction([&capture] { capture.captureCurrentPage(); });

    Win32FileSystem files;
    Win32FolderPicker folderPicker;
    Win32ImportDialogs importDialogs(messages, folderPicker);
    form.setImportPorts({files, pump, folderPicker, importDialogs, defaultBookmarkFolder()});

    if (start.actionAfterStartUp) handOvers.receive(*start.actionAfterStartUp);
    form.setStartedHandler([&handOvers] { handOvers.open(); });
    form.FormCreate();
    const int result = runMessageLoop();
    // The window's list view watches the form's list, which goes first.
    hotkeyTarget = nullptr;
    window.detach();
    return result;
}
