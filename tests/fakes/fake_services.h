// Fakes of every port the main window reaches, and the services bundle that
// hands them to it.
#pragma once

#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"

namespace zn::testing {

// Vaults made in tests cost little to unlock; the format reads any count.
inline constexpr std::uint32_t kTestIterations = 1000;

struct FakeServices {
    MainWindowServices services(const std::string& programPath,
                                std::vector<std::string> arguments = {}) {
        MainWindowServices made{registry,  messages, timers,      collation,
                                hotkeys,   keyboard, tray,        dialogs,
                                clipboard, shell,    programPath, std::move(arguments)};
        made.newVaultIterations = kTestIterations;
        return made;
    }

    FakeRegistry registry;
    FakeMessageBoxes messages;
    ManualTimers timers;
    ByteCollation collation;
    RecordingHotkeys hotkeys;
    FakeKeyboardLayout keyboard;
    FakeTrayIcon tray;
    FakeDialogs dialogs;
    FakeClipboard clipboard;
    RecordingShell shell;
};

}  // namespace zn::testing
