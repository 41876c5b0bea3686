#include "setup/installation.h"

#include <array>

namespace zn::setup {
namespace {

const std::string kSeparator(1, kPathSeparator);

std::string joined(const std::string& folder, const std::string& name) {
    return folder + kSeparator + name;
}

std::string link(const std::string& stem) {
    return stem + kLinkExtension;
}

// Tries every folder above the path, from the root down, ignoring failures:
// the text before each separator but a last one names one of them.
void createAncestors(Files& files, const std::string& path) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i] == kPathSeparator) files.createFolder(path.substr(0, i));
}

}  // namespace

std::string programFileName() {
    return std::string("znvault") + kExecutableSuffix;
}

std::string uninstallerName() {
    return std::string("unzn") + kExecutableSuffix;
}

std::string linkNameFor(const std::string& target) {
    const auto slash = target.find_last_of(kSeparator);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return link(name);
}

std::string Installation::programGroupFolder() const {
    return joined(joined(startMenuFolder, "programs"), "Zintrel");
}

std::string Installation::installed(const std::string& name) const {
    return joined(installFolder, name);
}

void Installation::rewritereg() {
    const auto vaultKey = ports_.registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, true);
    if (!vaultKey) throw failedToSetData("installdir");
    vaultKey->writeString("installdir", installFolder);
    vaultKey->writeString("a", "1");
    if (vaultKey->readString("Password").empty()) return;
    if (ports_.messages.show(MessageKind::Confirm, kNewPasswordQuestion, MessageButtons::YesNo) ==
        MessageAnswer::Yes)
        vaultKey->deleteValue("Password");
}

void Installation::findwindowsdir() {
    windowsFolder = ports_.files.windowsFolder();
}

void Installation::getshellfolders() {
    const auto key = ports_.registry.openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, true);
    desktopFolder = key ? key->readString("Desktop") : std::string();
    startMenuFolder = key ? key->readString("Start Menu") : std::string();
}

void Installation::createInstallFolder() {
    Files& files = ports_.files;
    if (files.createFolder(installFolder)) return;
    // The first ancestor ("" here, a drive on Windows) fails harmlessly.
    createAncestors(files, installFolder);
    files.createFolder(installFolder);
}

bool Installation::copyDistributionFile(const std::string& name, const std::string& to) {
    const std::string from = sourceFolder + name;
    // Installing into the folder setup runs from: the file is already in place.
    if (ports_.files.sameFile(from, to)) return true;
    return ports_.files.copyFile(from, to);
}

void Installation::deleteUnlessSource(const std::string& path, const std::string& name) {
    if (!ports_.files.sameFile(path, sourceFolder + name)) ports_.files.deleteFile(path);
}

void Installation::installfiles() {
    Files& files = ports_.files;
    installFailed = false;
    getshellfolders();
    createInstallFolder();

    const std::array<std::string, 3> installedNames = {programFileName(), "znhelp.htm",
                                                       "readme.txt"};
    for (const auto& name : installedNames) deleteUnlessSource(installed(name), name);

    if (!copyDistributionFile(programFileName(), installed(programFileName()))) {
        ports_.messages.showPlain(kInstallErrorMessage);
        installFailed = true;
        return;
    }
    const bool helpCopied = copyDistributionFile("znhelp.htm", installed("znhelp.htm"));
    const bool notesCopied = copyDistributionFile("readme.txt", installed("readme.txt"));
    // Unlike the Windows folder, ~/.local/bin may not exist yet.
    const std::string uninstaller = joined(windowsFolder, uninstallerName());
    createAncestors(files, windowsFolder);
    files.createFolder(windowsFolder);
    const bool uninstallerCopied = copyDistributionFile(uninstallerName(), uninstaller);

    // A distribution file leaves the source folder only once its copy is in
    // place, and never when the copy is the file itself.
    const struct {
        std::string name;
        bool copied;
        std::string copy;
    } sources[] = {
        {programFileName(), true, installed(programFileName())},
        {"znhelp.htm", helpCopied, installed("znhelp.htm")},
        {"readme.txt", notesCopied, installed("readme.txt")},
        {uninstallerName(), uninstallerCopied, uninstaller},
        {"file_id.diz", true, std::string()},
    };
    for (const auto& source : sources) {
        const std::string path = sourceFolder + source.name;
        if (source.copied && (source.copy.empty() || !files.sameFile(path, source.copy)))
            files.deleteFile(path);
    }

    if (desktopChosen) {
        files.deleteFile(joined(desktopFolder, link("Zintrel")));
        makeshortcut(installed(programFileName()),
                     joined(desktopFolder, linkNameFor(installed(programFileName()))));
    }
    if (startMenuChosen) makeProgramGroup();
}

void Installation::makeProgramGroup() {
    Files& files = ports_.files;
    const std::string group = programGroupFolder();
    for (const char* stem : {"Zintrel", "znhelp", "ReadMe"})
        files.deleteFile(joined(group, link(stem)));
    // The start menu's programs folder always exists on Windows; an XDG data
    // folder may lack it, so the missing levels above the group are made too.
    createAncestors(files, group);
    files.createFolder(group);
    makeshortcut(installed(programFileName()),
                 joined(group, linkNameFor(installed(programFileName()))));
    makeshortcut(installed("znhelp.htm"), joined(group, link("znhelp")));
    makeshortcut(installed("readme.txt"), joined(group, link("ReadMe")));
    makeshortcut(joined(windowsFolder, uninstallerName()), joined(group, link("Uninstall")));
}

void Installation::makeshortcut(const std::string& target, const std::string& linkPath) {
    ports_.links.createLink(target, linkPath);
}

void Installation::renameshortcuts() {
    try {
        getshellfolders();
        const std::string programLink = linkNameFor(installed(programFileName()));
        ports_.links.renameLink(joined(desktopFolder, programLink),
                                joined(desktopFolder, link("Zintrel")));
        ports_.files.deleteFile(
            joined(joined(joined(startMenuFolder, "programs"), "Zintrol"), link("Zintrel")));
        ports_.links.renameLink(joined(programGroupFolder(), programLink),
                                joined(programGroupFolder(), link("Zintrel")));
    } catch (const std::exception&) {
        // Renaming is a courtesy; the installation stands without it.
    }
}

void Installation::uninstallsetup() {
    const auto key = ports_.registry.openKey(RegRoot::LocalMachine, kUninstallKeyPath, true);
    if (!key) throw failedToSetData("Displayname");
    key->writeString("Displayname", "Zintrel");
    key->writeString("UninstallString", joined(windowsFolder, uninstallerName()));
}

}  // namespace zn::setup
