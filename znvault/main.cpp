// znvault: wires the main window's logic to the Linux store, the session's
// hotkeys (X11 grabs or the Wayland portal) and the Qt views, then runs the
// message loop. A start that only asks for an action hands it to the copy
// already running and ends before any of that.
#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/hand_over_inbox.h"
#include "app/main_window.h"
#include "app/qt/main_window_widget.h"
#include "app/qt/qt_app_dialogs.h"
#include "capture/page_capture.h"
#include "capture/qt/chooser_view.h"
#include "desktop/qt/tray_menu.h"
#include "desktop/system_tray.h"
#include "import/qt/qt_import_dialogs.h"
#include "platform/linux/browser_page_query.h"
#include "platform/linux/hand_over_socket.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/locale_collation.h"
#include "platform/linux/registry_location.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/x11_application_window.h"
#include "platform/linux/x11_keyboard_layout.h"
#include "platform/linux/x11_window_list.h"
#include "platform/qt/desktop_hotkeys.h"
#include "platform/qt/hand_over_pump.h"
#include "platform/qt/password_star_style.h"
#include "platform/qt/qt_beep.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_folder_picker.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_timers.h"
#include "platform/qt/qt_tray_icon.h"
#include "platform/qt/termination_watcher.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// What the toolkit sees: its own options and the program's arguments, so
// that a session manager's restart command keeps "/S"; the hand-over options
// are ours alone.
std::vector<char*> toolkitArgv(char* program, std::vector<std::string>& toolkitArguments,
                               std::vector<std::string>& programArguments) {
    std::vector<char*> argv{program};
    for (std::string& argument : toolkitArguments) argv.push_back(argument.data());
    for (std::string& argument : programArguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

int main(int argc, char** argv) {
    zn::CommandLine commandLine = zn::parseCommandLine(argumentsOf(argc, argv));
    zn::HandOverSocket handOverLine(zn::handOverFolder());
    zn::StartDecision start = zn::decideStart(commandLine, handOverLine);
    if (start.exitNow) {
        std::fputs(start.standardOutput.c_str(), stdout);
        std::fputs(start.standardError.c_str(), stderr);
        return start.exitStatus;
    }
    // A copy started beside a running one leaves the line to the first, as
    // it leaves the hotkeys to it. An action's start lets its lock go here,
    // once later starts can find it.
    const std::unique_ptr<zn::HandOverListener> handOverListener =
        handOverLine.listen(std::move(start.startLock));
    if (!handOverListener && !handOverLine.refusal().empty())
        std::fprintf(stderr, "znvault: later starts cannot hand actions to this one: %s\n",
                     handOverLine.refusal().c_str());

    Q_INIT_RESOURCE(resources);
    std::vector<char*> toolkitArguments =
        toolkitArgv(argv[0], commandLine.toolkitArguments, commandLine.programArguments);
    int toolkitArgc = static_cast<int>(toolkitArguments.size()) - 1;
    QApplication application(toolkitArgc, toolkitArguments.data());
    QApplication::setApplicationName(QString::fromLatin1(zn::kApplicationTitle));
    QApplication::setStyle(new zn::PasswordStarStyle);
    QApplication::setDesktopFileName(QStringLiteral("znvault"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zintrel/zintrel.svg")));
    // The program lives hidden; closing a dialog must never end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Setup tells that the program runs by this window's title.
    const zn::X11ApplicationWindow applicationWindow(zn::kApplicationTitle);

    std::unique_ptr<zn::SqliteRegistry> registry;
    try {
        registry = zn::SqliteRegistry::open(zn::registryLocation().string());
    } catch (const std::exception& failure) {
        QMessageBox::critical(nullptr, QString::fromLatin1(zn::kApplicationTitle),
                              zn::toQt(zn::withFullStop(failure.what())));
        return 1;
    }

    zn::QtMessageBoxes messages(QString::fromLatin1(zn::kApplicationTitle));
    zn::QtTimers timers;
    zn::LocaleCollation collation;
    const auto hotkeys = zn::hotkeysForThisSession(
        {{zn::kToggleHotkeyId, "Show or hide the Zintrel window"},
         {zn::kCaptureHotkeyId, "Add the page the browser shows to Zintrel"}});
    zn::X11KeyboardLayout keyboard;
    zn::QtTrayIcon trayArea(QApplication::windowIcon());
    zn::TOrvSystemTray tray(trayArea, zn::kApplicationTitle);
    zn::QtAppDialogs dialogs(messages, keyboard);
    zn::QtClipboard clipboard;
    zn::QtShell shell;

    zn::MainWindowWidget window;
    zn::TForm1 form(zn::MainWindowServices{*registry, messages, timers, collation, *hotkeys,
                                           keyboard, tray, dialogs, clipboard, shell,
                                           QCoreApplication::applicationFilePath().toStdString(),
                                           commandLine.programArguments},
                    window);
    window.attach(form);

    // The tray icon's own settings, then the capture with its chooser, made once.
    zn::TrayMenu trayMenu(form, window);
    tray.setHint(zn::kApplicationTitle);
    tray.setPopupMenu(&trayMenu);
    trayArea.offerMenu(trayMenu);
    tray.setNormalIcon(true);
    tray.OnDblClick = [&form] { form.dispatcher().run([&] { form.ShowWindow(); }); };
    zn::RestoreWatcher trayRestore(window, [&tray] { tray.ApplicationRestore(); });
    zn::QtChooserDialog chooser;
    zn::QtBeep beep;
    zn::QtMessagePump pump;
    zn::BrowserPageQuery pages;
    zn::X11WindowList windows;
    zn::PageCapture capture(form, window, {pages, windows, shell, beep, messages, chooser, pump});
    form.setCaptureAction([&capture] { capture.captureCurrentPage(); });
    zn::LinuxFileSystem files;
    zn::QtFolderPicker folderPicker;
    zn::QtImportDialogs importDialogs(messages, folderPicker);
    form.setImportPorts({files, pump, folderPicker, importDialogs, zn::defaultBookmarkFolder()});

    const auto runHotkey = [&form](int id) { form.dispatcher().run([&] { form.WMHotkey(id); }); };
    hotkeys->deliverTo(runHotkey);
    // A hand-over is a hotkey press from another process: the same handler,
    // dialogs open or not.
    zn::HandOverInbox handOvers(
        [&runHotkey](zn::HandOverAction action) { runHotkey(zn::hotkeyIdOf(action)); });
    std::unique_ptr<zn::HandOverPump> handOverPump;
    if (handOverListener)
        handOverPump = std::make_unique<zn::HandOverPump>(
            *handOverListener,
            [&handOvers](zn::HandOverAction action) { handOvers.receive(action); });
    if (start.actionAfterStartUp) handOvers.receive(*start.actionAfterStartUp);
    form.setStartedHandler([&handOvers] { handOvers.open(); });
    // The end of the session: save and agree. The session manager ends the
    // program itself, and the close that follows no longer asks; a logout that
    // is called off leaves the program running.
    const auto saveForSessionEnd = [&form] {
        form.dispatcher().run([&] {
            form.QueryEndSession();
            form.saveAllEntries();
        });
    };
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [saveForSessionEnd](QSessionManager&) { saveForSessionEnd(); });
    // SIGTERM ends the program at once after saving, even while a dialog or
    // the close question is open: every event loop is left.
    zn::TerminationWatcher terminationWatcher([saveForSessionEnd] {
        saveForSessionEnd();
        QCoreApplication::exit(0);
    });

    form.FormCreate();
    const int result = QApplication::exec();
    // The window's list model watches the form's list, which goes first.
    window.detach();
    return result;
}
