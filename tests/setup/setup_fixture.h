// What the setup tests share: real temporary folders for the source, the
// home folder and the install folder, the file system (its home folder moved
// there) and links that can be made to fail, scripted windows, and the
// program's set-up over them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/setup_windows.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/temp_folder.h"
#include "tests/setup/native_setup_ports.h"

namespace zn::setup::testing {

using zn::testing::FakeMessageBoxes;
using zn::testing::FakeRegistry;
using zn::testing::ManualTimers;
using zn::testing::RecordingShell;
using zn::testing::TempFolder;
using zn::testing::TestFileSystem;

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class TestLinks : public NativeLinks {
public:
    bool refuse = false;
    std::vector<std::string> trusted;
    void createLink(const std::string& target, const std::string& linkPath) override {
        if (refuse) throw std::runtime_error("Shortcuts cannot be made");
        NativeLinks::createLink(target, linkPath);
    }
    void markTrusted(const std::string& linkPath) override { trusted.push_back(linkPath); }
};

// Only the running program's window, when it runs.
class FakeWindows : public WindowList {
public:
    bool running = false;
    bool existsTitled(const std::string& title) override { return running && title == "Zintrel"; }
    std::vector<TopLevelWindow> topLevelWindows() override { return {}; }
    WindowHandle findWindow(const std::string&) override { return 0; }
    void visitDescendants(WindowHandle, const std::function<bool(const std::string&)>&) override {}
};

// The windows as a list of what the rules asked, with the visibility they
// would have. A modal window "shows" by running its FormShow and then the
// test's script for it.
class FakeScreens : public SetupScreens {
public:
    SetupProgram* program = nullptr;
    std::vector<std::string> calls;
    bool installationShown = false;
    std::function<void()> whileChooserShown;

    void maximizeBackdrop() override { calls.push_back("maximizeBackdrop"); }
    void closeBackdrop() override { calls.push_back("closeBackdrop"); }
    void showLicenceModal() override {
        calls.push_back("showLicence");
        program->licence.FormShow();
    }
    void hideLicence() override { calls.push_back("hideLicence"); }
    void closeLicence() override {
        calls.push_back("closeLicence");
        program->licence.FormClose();
    }
    bool installationVisible() const override { return installationShown; }
    void showInstallationModal() override {
        calls.push_back("showInstallation");
        installationShown = true;
    }
    void hideInstallation() override {
        calls.push_back("hideInstallation");
        installationShown = false;
    }
    void closeInstallation() override {
        calls.push_back("closeInstallation");
        installationShown = false;
        program->installationScreen.FormClose();
    }
    void refreshInstallation() override {
        if (program->installationScreen.installingNoticeShown) calls.push_back("notice");
    }
    void showChooserModal() override {
        calls.push_back("showChooser");
        program->chooser.FormShow();
        if (whileChooserShown) whileChooserShown();
    }
    void closeChooser() override {
        calls.push_back("closeChooser");
        program->chooser.FormClose();
    }
    void processMessages() override {}
    void terminate() override { calls.push_back("terminate"); }
};

// A store that refuses to make chosen keys, raising as the Windows registry
// does for a user who may not write there.
class TestRegistry : public FakeRegistry {
public:
    std::set<std::string> uncreatable;
    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override {
        if (create && uncreatable.count(path)) throw failedToSetData(path);
        return FakeRegistry::openKey(root, path, create);
    }
};

class SetupTest : public ::testing::Test {
protected:
    SetupTest() {
        files.current = (temp / "dist").string();
        files.home = (temp / "home").string();
        for (const auto& name : distribution())
            writeFile(temp / "dist" / name, std::string("new ") + name);
        std::filesystem::create_directories(desktop());
        const auto shellFolders =
            registry.openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, true);
        shellFolders->writeString("Desktop", desktop().string());
        shellFolders->writeString("Start Menu", startMenu().string());
        screens.program = &program;
    }

    static std::vector<std::string> distribution() {
        return {programFileName(), "znhelp.htm", "readme.txt", uninstallerName(), "file_id.diz"};
    }
    std::filesystem::path desktop() const { return temp / "home" / "Desktop"; }
    std::filesystem::path startMenu() const {
        return temp / "home" / ".local" / "share" / "applications";
    }
    std::filesystem::path group() const { return startMenu() / "programs" / "Zintrel"; }
    std::filesystem::path installFolder() const { return temp / "home" / "opt" / "znvault"; }
    std::filesystem::path source(const std::string& name) const { return temp / "dist" / name; }
    std::string installedProgram() const { return native(installFolder() / programFileName()); }
    std::string installedUninstaller() const {
        return native(std::filesystem::path(files.windowsFolder()) / uninstallerName());
    }
    std::string vaultValue(const std::string& name) const {
        const auto value = registry.value(RegRoot::CurrentUser, kVaultKeyPath, name);
        return value ? decodeStringData(value->data) : "(none)";
    }

    // Up to the installation screen, as a user agreeing to the licence.
    void reachInstallationScreen() {
        program.create();
        timers.fireNext();
        program.licence.Button1Click();
        timers.fireNext();
    }

    // The installation screen's Install, through the dispatcher as a click runs it.
    void install(bool desktopBox, bool startMenuBox) {
        installInto(installFolder(), desktopBox, startMenuBox);
    }
    void installInto(const std::filesystem::path& folder, bool desktopBox, bool startMenuBox) {
        TForm1& screen = program.installationScreen;
        screen.folderField = folder.string();
        screen.desktopBox = desktopBox;
        screen.startMenuBox = startMenuBox;
        program.dispatcher.run([&] { screen.BitBtn3Click(); });
    }

    TempFolder temp;
    TestRegistry registry;
    TestFileSystem files;
    TestLinks links;
    FakeMessageBoxes messages;
    RecordingShell shell;
    ManualTimers timers;
    FakeWindows windows;
    FakeScreens screens;
    SetupProgram program{
        SetupServices{registry, files, links, messages, shell, timers, windows, screens}};
};

}  // namespace zn::setup::testing
