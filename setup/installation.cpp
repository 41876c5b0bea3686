#include "setup/installation.h"

#include <array>

#include "platform/path_separator.h"

namespace zn::setup {
namespace {

const std::string kSeparator(1, kPathSeparator);

std::string joined(const std::string& folder, const std::string& name) {
    return folder + kSeparator + name;
}

std::string link(const std::string& stem) {
    return stem + kLinkExtension;
}

// A key opened with create, or nothing when the store cannot make it: a key
// that cannot be opened is not reported by itself; the first write into it
// fails, naming its value.
std::unique_ptr<RegistryKey> keyToWrite(Registry& registry, RegRoot root, const char* path) {
    try {
        return registry.openKey(root, path, true);
    } catch (const RegistryError&) {
        return nullptr;
    }
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

InstallRecord Installation::legacyRecord(const std::string& folder) {
    if (folder.empty()) return {};
    getshellfolders();
    const std::string programs = joined(startMenuFolder, "programs");
    const std::string group = programGroupFolder();
    InstallRecord legacy;
    if (!startMenuFolder.empty()) {
        legacy.push_back({MadeKind::SharedFolder, programs});
        legacy.push_back({MadeKind::Folder, group});
        for (const std::string stem : {"Zintrel", "znhelp", "ReadMe", "Uninstall", "znvault"})
            legacy.push_back({MadeKind::Link, joined(group, link(stem))});
        legacy.push_back({MadeKind::Link, joined(joined(programs, "Zintrol"), link("Zintrel"))});
    }
    legacy.push_back({MadeKind::Folder, folder});
    for (const auto& name :
         {programFileName(), std::string("znhelp.htm"), std::string("readme.txt")})
        legacy.push_back({MadeKind::File, joined(folder, name)});
    legacy.push_back({MadeKind::File, joined(ports_.files.windowsFolder(), uninstallerName())});
    return legacy;
}

void Installation::noteMade(MadeKind kind, const std::string& path) {
    if (addToRecord(record, kind, path)) writeInstallRecord(ports_.registry, record);
}

void Installation::noteMadeIfThere(MadeKind kind, const std::string& path) {
    if (ports_.files.exists(path)) noteMade(kind, path);
}

void Installation::noteRenamed(const std::string& from, const std::string& to) {
    if (ports_.files.exists(from) || !ports_.files.exists(to)) return;
    bool renamed = false;
    for (auto& thing : record)
        if (thing.path == from) thing.path = to, renamed = true;
    if (renamed) writeInstallRecord(ports_.registry, record);
}

void Installation::rewritereg() {
    const auto vaultKey = keyToWrite(ports_.registry, RegRoot::CurrentUser, kVaultKeyPath);
    if (!vaultKey) throw failedToSetData("installdir");
    if (auto kept = readInstallRecord(ports_.registry)) {
        record = std::move(*kept);
    } else {
        std::string earlierFolder;
        try {
            earlierFolder = vaultKey->readString("installdir");
        } catch (const RegistryError&) {
            // A value of another type names no folder.
        }
        record = legacyRecord(earlierFolder);
        if (!record.empty()) writeInstallRecord(ports_.registry, record);
    }
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
    // A key that cannot be made holds no folders.
    const auto key = keyToWrite(ports_.registry, RegRoot::CurrentUser, kShellFoldersKeyPath);
    desktopFolder = key ? key->readString("Desktop") : std::string();
    startMenuFolder = key ? key->readString("Start Menu") : std::string();
}

void Installation::createFolders(const std::string& path, std::optional<MadeKind> kind) {
    FileSystem& files = ports_.files;
    const auto make = [&](const std::string& folder, MadeKind made) {
        if (!files.createFolder(folder)) return false;
        if (kind) noteMade(made, folder);
        return true;
    };
    if (make(path, kind.value_or(MadeKind::Folder))) return;
    // From the root down; the first ("" here, a drive on Windows) fails
    // harmlessly. The text before each separator but a last one names one.
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i] == kPathSeparator) make(path.substr(0, i), MadeKind::SharedFolder);
    make(path, kind.value_or(MadeKind::Folder));
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
    FileSystem& files = ports_.files;
    installFailed = false;
    getshellfolders();
    createFolders(installFolder, MadeKind::Folder);

    const std::array<std::string, 3> installedNames = {programFileName(), "znhelp.htm",
                                                       "readme.txt"};
    for (const auto& name : installedNames) deleteUnlessSource(installed(name), name);

    if (!copyDistributionFile(programFileName(), installed(programFileName()))) {
        ports_.messages.showPlain(kInstallErrorMessage);
        installFailed = true;
        return;
    }
    noteMade(MadeKind::File, installed(programFileName()));
    const bool helpCopied = copyDistributionFile("znhelp.htm", installed("znhelp.htm"));
    if (helpCopied) noteMade(MadeKind::File, installed("znhelp.htm"));
    const bool notesCopied = copyDistributionFile("readme.txt", installed("readme.txt"));
    if (notesCopied) noteMade(MadeKind::File, installed("readme.txt"));
    // Unlike the Windows folder, ~/.local/bin may not exist yet; it is
    // everyone's, so it stays while anything else is in it.
    const std::string uninstaller = joined(windowsFolder, uninstallerName());
    createFolders(windowsFolder, MadeKind::SharedFolder);
    const bool uninstallerCopied = copyDistributionFile(uninstallerName(), uninstaller);
    if (uninstallerCopied) noteMade(MadeKind::File, uninstaller);

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

    if (desktopChosen && !ensureDesktopFolder()) {
        ports_.messages.showPlain(kNoDesktopFolderMessage + desktopFolder + ".");
    } else if (desktopChosen) {
        files.deleteFile(joined(desktopFolder, link("Zintrel")));
        const std::string desktopLink =
            joined(desktopFolder, linkNameFor(installed(programFileName())));
        makeshortcut(installed(programFileName()), desktopLink);
        noteMadeIfThere(MadeKind::Link, desktopLink);
    }
    if (startMenuChosen) makeProgramGroup();
}

bool Installation::ensureDesktopFolder() {
    // A missing value keeps its old meaning: links at the root of the drive.
    if (desktopFolder.empty() || ports_.files.exists(desktopFolder)) return true;
    // Made as the desktop's own tools make it when it is missing; it is the
    // desktop's from then on, so it is not on the record.
    createFolders(desktopFolder, std::nullopt);
    return ports_.files.exists(desktopFolder);
}

void Installation::makeProgramGroup() {
    FileSystem& files = ports_.files;
    const std::string group = programGroupFolder();
    for (const char* stem : {"Zintrel", "znhelp", "ReadMe"})
        files.deleteFile(joined(group, link(stem)));
    // The start menu's programs folder always exists on Windows; an XDG data
    // folder may lack it, so the missing levels above the group are made too.
    createFolders(group, MadeKind::Folder);
    const struct {
        std::string target;
        std::string link;
    } shortcuts[] = {
        {installed(programFileName()), joined(group, linkNameFor(installed(programFileName())))},
        {installed("znhelp.htm"), joined(group, link("znhelp"))},
        {installed("readme.txt"), joined(group, link("ReadMe"))},
        {joined(windowsFolder, uninstallerName()), joined(group, link("Uninstall"))},
    };
    for (const auto& shortcut : shortcuts) {
        makeshortcut(shortcut.target, shortcut.link);
        noteMadeIfThere(MadeKind::Link, shortcut.link);
    }
}

void Installation::makeshortcut(const std::string& target, const std::string& linkPath) {
    ports_.links.createLink(target, linkPath);
}

void Installation::renameshortcuts() {
    try {
        getshellfolders();
        const std::string programLink = linkNameFor(installed(programFileName()));
        const auto rename = [this](const std::string& from, const std::string& to) {
            ports_.links.renameLink(from, to);
            noteRenamed(from, to);
        };
        const std::string desktopLink = joined(desktopFolder, link("Zintrel"));
        rename(joined(desktopFolder, programLink), desktopLink);
        if (desktopChosen) {
            for (const auto& made : {desktopLink, joined(desktopFolder, programLink)})
                if (ports_.files.exists(made)) {
                    ports_.links.markTrusted(made);
                    break;
                }
        }
        ports_.files.deleteFile(
            joined(joined(joined(startMenuFolder, "programs"), "Zintrol"), link("Zintrel")));
        rename(joined(programGroupFolder(), programLink),
               joined(programGroupFolder(), link("Zintrel")));
    } catch (const std::exception&) {
        // Renaming is a courtesy; the installation stands without it.
    }
}

void Installation::uninstallsetup() {
    const auto key = keyToWrite(ports_.registry, RegRoot::LocalMachine, kUninstallKeyPath);
    if (!key) throw failedToSetData("Displayname");
    key->writeString("Displayname", "Zintrel");
    key->writeString("UninstallString", joined(windowsFolder, uninstallerName()));
}

}  // namespace zn::setup
