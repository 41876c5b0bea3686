// setup.exe: installs Zintrel from the folder it is started in. Wires the
// setup windows' logic to the registry, the Win32 files, shell links and the
// native views.
#include <windows.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shell_links.h"
#include "platform/win32/win32_window_list.h"
#include "setup/win32/setup_application_window.h"
#include "setup/win32/setup_screens.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace zn::win32;
    // The application window carries the application's title on the task
    // bar's button and owns the other windows; the timers fire on it.
    zn::setup::win32::SetupApplicationWindow application(zn::setup::kSetupTitle);
    application.show();
    Win32Registry registry;
    Win32MessageBoxes messages(zn::setup::kSetupTitle);
    Win32Timers timers(application);
    Win32Shell shell;
    Win32FileSystem files;
    // Holds COM for the whole run.
    Win32ShellLinks links;
    Win32WindowList windows;
    Win32InstanceChannel runningCopy;
    zn::setup::win32::Win32SetupScreens screens;
    zn::setup::SetupProgram program(zn::setup::SetupServices{
        registry, files, links, messages, shell, timers, windows, screens, &runningCopy});
    screens.attach(program, application.handle());
    program.create();
    screens.backdrop().show();
    return runMessageLoop();
}
