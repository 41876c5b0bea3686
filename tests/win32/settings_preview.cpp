// Shows the options window as a first run fills it, to look at under Wine:
// `wine settings_preview.exe` prints OK or Cancel as it ends.
#include <cstdio>

#include "platform/win32/win32_services.h"
#include "settings/win32/options_window.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"

int main() {
    using namespace zn;
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it happens
    testing::FakeRegistry registry;
    testing::FakeMessageBoxes messages;
    testing::FakeDialogs dialogs;
    TwOptions options(registry, dialogs, messages);
    options.HotKey1 = 0xC050;
    options.HotKey2 = 0xC042;
    options.messagesBox = true;
    options.keepPassBox = true;
    options.showUserBox = true;
    options.browserField = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";
    const win32::Win32KeyboardLayout keyboard;
    const bool ok = win32::runOptionsWindow(options, keyboard, nullptr);
    std::printf("%s %s\n", ok ? "OK" : "Cancel", ShortCutToText(options.HotKey1, keyboard).c_str());
    return 0;
}
