#include "setup/setup_windows.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/path_separator.h"

namespace zn::setup {
namespace {

const std::string kSeparator(1, kPathSeparator);

// Runs a handler from a timer through the dispatcher, as every handler runs.
void armTimer(SetupProgram& program, int milliseconds, void (TForm1::*handler)()) {
    program.services.timers.startOneShot(milliseconds, [&program, handler] {
        program.dispatcher.run([&] { (program.installationScreen.*handler)(); });
    });
}

// The folder as typed, made absolute against the current folder, so that
// nothing written (the "installdir" value, the links, the notes' path) is
// read later against some other folder. An empty field stays empty.
std::string absoluteFolder(const std::string& folder, const std::string& current) {
    if (folder.empty()) return folder;
#ifdef _WIN32
    const bool drive = folder.size() >= 2 && folder[1] == ':';
    if (folder[0] == kPathSeparator && folder.size() >= 2 && folder[1] == kPathSeparator)
        return folder;  // a share
    if (drive && folder.size() >= 3 && folder[2] == kPathSeparator) return folder;
    if (drive)
        return folder.size() == 2 ? folder : folder.substr(0, 2) + kSeparator + folder.substr(2);
    if (folder[0] == kPathSeparator) return current.substr(0, 2) + folder;
#else
    if (folder[0] == kPathSeparator) return folder;
#endif
    const bool root = !current.empty() && current.back() == kPathSeparator;
    return (root ? current : current + kSeparator) + folder;
}

}  // namespace

SetupProgram::SetupProgram(SetupServices services_)
    : services(services_),
      dispatcher(services_.messages),
      backdrop(*this),
      licence(*this),
      installationScreen(*this),
      chooser(*this) {}

void SetupProgram::create() {
    licence.FormCreate();
    dispatcher.run([this] { installationScreen.FormCreate(); });
}

void TForm5::FormShow() {
    program_.services.screens.maximizeBackdrop();
}

void TForm4::FormShow() {
    program_.services.screens.hideInstallation();
}

void TForm4::Button1Click() {
    agreementPending = false;
    program_.services.screens.hideInstallation();
    armTimer(program_, 300, &TForm1::Timer4Timer);
    program_.services.screens.closeLicence();
}

void TForm4::Button2Click() {
    program_.services.screens.hideLicence();
    program_.services.screens.closeInstallation();
}

void TForm4::FormClose() {
    if (agreementPending) program_.services.screens.closeInstallation();
}

TForm1::TForm1(SetupProgram& program)
    : installation(SetupPorts{program.services.registry, program.services.files,
                              program.services.links, program.services.messages}),
      program_(program) {}

void TForm1::FormCreate() {
    const FileSystem& files = program_.services.files;
#ifdef _WIN32
    folderField = "C:\\Program Files\\znvault";
#else
    // A user may not write outside the home folder: the user's own programs.
    folderField =
        files.homeFolder() + kSeparator + ".local" + kSeparator + "opt" + kSeparator + "znvault";
#endif
    installation.sourceFolder = files.currentFolder() + kSeparator;
    findwindowa();
    installation.desktopChosen = false;
    installation.startMenuChosen = false;
    armTimer(program_, 100, &TForm1::Timer1Timer);
}

void TForm1::findwindowa() {
    const SetupServices& services = program_.services;
    if (services.windows.existsTitled("Zintrel") ||
        (services.runningCopy && services.runningCopy->copyRuns()))
        services.messages.showPlain(kRunningMessage);
}

void TForm1::Timer1Timer() {
    program_.services.screens.showLicenceModal();
}

void TForm1::Timer4Timer() {
    if (program_.services.screens.installationVisible())
        throw std::runtime_error("Cannot make a visible window modal");
    program_.services.screens.showInstallationModal();
}

void TForm1::BitBtn1Click() {
    program_.services.screens.showChooserModal();
}

void TForm1::BitBtn3Click() {
    SetupScreens& screens = program_.services.screens;
    installation.installFolder =
        absoluteFolder(folderField, program_.services.files.currentFolder());
    // The notice shows while the work runs; an error raised in it takes the
    // notice away again and leaves Install usable.
    installingNoticeShown = true;
    screens.refreshInstallation();
    struct NoticeGuard {
        TForm1& form;
        ~NoticeGuard() {
            form.installingNoticeShown = false;
            form.program_.services.screens.refreshInstallation();
        }
    } guard{*this};

    installation.rewritereg();
    if (desktopBox) installation.desktopChosen = true;
    if (startMenuBox) installation.startMenuChosen = true;
    installation.findwindowsdir();
    installation.installfiles();
    if (installation.installFailed) {
        screens.closeInstallation();
        return;
    }
    installation.renameshortcuts();
    installation.uninstallsetup();
    completionPanelShown = true;
}

void TForm1::BitBtn2Click() {
    program_.services.screens.closeInstallation();
}

void TForm1::Button1Click() {
    if (runNowBox)
        program_.services.shell.startProgram(installation.installed(programFileName()), "");
    if (releaseNotesBox) {
#ifdef _WIN32
        program_.services.shell.startProgram(
            installation.windowsFolder + kSeparator + "notepad.exe",
            installation.installed("readme.txt"));
#else
        program_.services.shell.openDocument(installation.installed("readme.txt"), "");
#endif
    }
    program_.services.screens.closeInstallation();
}

void TForm1::FormClose() {
    // Closing the other windows closes the licence screen, which would
    // close this one again.
    if (ended_) return;
    ended_ = true;
    SetupScreens& screens = program_.services.screens;
    screens.closeBackdrop();
    screens.closeChooser();
    screens.closeLicence();
    screens.terminate();
}

std::string proposedFolder(const std::string& directory) {
    std::string text = directory + kSeparator + "znvault";
    // A root ends with the separator already: "/" proposes "/znvault".
    if (!directory.empty() && directory.back() == kPathSeparator) text.erase(directory.size(), 1);
    return text;
}

void TForm3::setTreeDirectory(std::string directory) {
    treeDirectory = directory;
    directoryLines.clear();
    // The open folders from the root down to the directory.
    const bool rooted = !directory.empty() && directory.front() == kPathSeparator;
    int depth = 0;
    if (directory.empty()) return DirectoryListBox1Change();
    if (rooted) directoryLines.push_back({kSeparator, kSeparator, depth++, true});
    std::string path;
    for (std::size_t start = 0; start < directory.size();) {
        std::size_t end = directory.find(kPathSeparator, start);
        if (end == std::string::npos) end = directory.size();
        if (end > start) {
            const std::string part = directory.substr(start, end - start);
            path = path.empty() && !rooted ? part : path + kSeparator + part;
            directoryLines.push_back({path, part, depth++, true});
        }
        start = end + 1;
    }
    for (const auto& name : program_.services.files.subfolders(directory)) {
        // Hidden folders stay hidden, as in the desktop's own file dialogs.
        if (name.empty() || name.front() == '.') continue;
        const std::string inner =
            directory.back() == kPathSeparator ? directory + name : directory + kSeparator + name;
        directoryLines.push_back({inner, name, depth, false});
    }
    DirectoryListBox1Change();
}

void TForm3::FormShow() {
    places = program_.services.files.places();
    placeIndex = 0;
    // The first place: the home folder here, drive C: on Windows.
    std::string start = places.empty() ? program_.services.files.homeFolder() : places.front();
#ifdef _WIN32
    // Drive C: stands at its current folder: the process's own when it runs there.
    const std::string current = program_.services.files.currentFolder();
    if (current.size() >= 2 && start.size() >= 2 && current[1] == ':' &&
        std::toupper(static_cast<unsigned char>(current[0])) ==
            std::toupper(static_cast<unsigned char>(start[0])))
        start = current;
#endif
    setTreeDirectory(start);
    program_.services.screens.processMessages();
    DirectoryListBox1Change();
}

void TForm3::DirectoryListBox1Change() {
    folderField = proposedFolder(treeDirectory);
}

void TForm3::DirectoryListBox1Click(int line) {
    if (line < 0 || line >= static_cast<int>(directoryLines.size())) return;
    setTreeDirectory(directoryLines[static_cast<std::size_t>(line)].path);
}

void TForm3::DriveComboBox1Change(int place) {
    if (place < 0 || place >= static_cast<int>(places.size())) return;
    placeIndex = place;
    setTreeDirectory(places[static_cast<std::size_t>(place)]);
}

void TForm3::BitBtn1Click() {
    program_.services.screens.closeChooser();
}

void TForm3::FormClose() {
    program_.installationScreen.folderField = folderField;
}

}  // namespace zn::setup
