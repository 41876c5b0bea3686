// unzn.exe: removes Zintrel again. No window of its own: its questions and
// its report are message boxes.
#include <windows.h>

#include "app/handler_dispatcher.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_list.h"
#include "setup/uninstaller.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace zn::win32;
    Win32Registry registry;
    Win32MessageBoxes messages(zn::setup::kUninstallTitle);
    Win32FileSystem files;
    Win32WindowList windows;
    Win32InstanceChannel runningCopy;
    zn::setup::Uninstaller uninstaller(registry, files, messages, windows, &runningCopy);
    return zn::HandlerDispatcher(messages).run([&] { uninstaller.run(); }) ? 0 : 1;
}
