#include "setup/uninstaller.h"

#include <functional>

#include "app/handler_dispatcher.h"
#include "platform/path_separator.h"
#include "platform/shell_links.h"
#include "setup/installation.h"

namespace zn::setup {
namespace {

const std::string kSeparator(1, kPathSeparator);

std::string joined(const std::string& folder, const std::string& name) {
    return folder + kSeparator + name;
}

constexpr const char* kRunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kAutostartValue = "Bookmarks";

}  // namespace

void Uninstaller::run() {
    if (windows_.existsTitled("Zintrel") || (runningCopy_ && runningCopy_->copyRuns())) {
        messages_.show(MessageKind::Warning, kStillRunningMessage, MessageButtons::Ok);
        return;
    }
    if (messages_.show(MessageKind::Confirm, kUninstallQuestion, MessageButtons::YesNo) !=
        MessageAnswer::Yes)
        return;
    const bool removeVault = messages_.show(MessageKind::Confirm, kRemoveVaultQuestion,
                                            MessageButtons::YesNo) == MessageAnswer::Yes;
    problems_.clear();
    std::optional<InstallRecord> record;
    try {
        record = readInstallRecord(registry_);
    } catch (const std::exception&) {
        // Unreadable: removed as an installation without one.
    }
    std::optional<InstallRecord> left;
    if (record) {
        left = removeRecorded(*record);
    } else {
        removeInstalledFiles();
        removeShortcuts();
    }
    removeRegistryEntries(removeVault, left);
    if (problems_.empty()) {
        messages_.show(MessageKind::Information, kRemovedMessage, MessageButtons::Ok);
        return;
    }
    std::string text = kPartlyRemovedMessage;
    text += '\r';
    for (const auto& problem : problems_) text += '\r' + problem;
    messages_.show(MessageKind::Warning, text, MessageButtons::Ok);
}

std::string Uninstaller::readString(RegRoot root, const char* key, const char* value) {
    try {
        const auto opened = registry_.openKey(root, key, false);
        return opened ? opened->readString(value) : std::string();
    } catch (const std::exception&) {
        // A value of another type names no folder.
        return {};
    }
}

void Uninstaller::removeFile(const std::string& path) {
    if (files_.exists(path) && !files_.deleteFile(path))
        problems_.push_back("Could not remove the file " + path + ".");
}

void Uninstaller::removeFolder(const std::string& path, bool reported) {
    if (!files_.exists(path) || files_.removeFolder(path) || !reported) return;
    problems_.push_back("Could not remove the folder " + path +
                        "; it may still hold files of your own.");
}

InstallRecord Uninstaller::removeRecorded(const InstallRecord& record) {
    for (const auto& thing : record)
        if (thing.kind == MadeKind::File || thing.kind == MadeKind::Link) removeFile(thing.path);
    // Each folder was made after the folders above it, so the last made goes first.
    for (auto thing = record.rbegin(); thing != record.rend(); ++thing)
        if (thing->kind == MadeKind::Folder || thing->kind == MadeKind::SharedFolder)
            removeFolder(thing->path, thing->kind == MadeKind::Folder);
    InstallRecord left;
    for (const auto& thing : record)
        if (files_.exists(thing.path)) left.push_back(thing);
    return left;
}

void Uninstaller::removeInstalledFiles() {
    const std::string installFolder = readString(RegRoot::CurrentUser, kVaultKeyPath, "Installdir");
    if (!installFolder.empty()) {
        for (const auto& name :
             {programFileName(), std::string("znhelp.htm"), std::string("readme.txt")})
            removeFile(joined(installFolder, name));
        removeFolder(installFolder, true);
    }
    removeFile(joined(files_.windowsFolder(), uninstallerName()));
}

void Uninstaller::removeShortcuts() {
    const std::string desktop = readString(RegRoot::CurrentUser, kShellFoldersKeyPath, "Desktop");
    const std::string startMenu =
        readString(RegRoot::CurrentUser, kShellFoldersKeyPath, "Start Menu");
    const std::string link = kLinkExtension;
    if (!desktop.empty()) {
        removeFile(joined(desktop, "Zintrel" + link));
        removeFile(joined(desktop, linkNameFor(programFileName())));
    }
    if (startMenu.empty()) return;
    const std::string programs = joined(startMenu, "programs");
    const std::string group = joined(programs, "Zintrel");
    for (const char* stem : {"Zintrel", "znhelp", "ReadMe", "Uninstall"})
        removeFile(joined(group, stem + link));
    removeFile(joined(group, linkNameFor(programFileName())));
    removeFolder(group, true);
    removeFile(joined(joined(programs, "Zintrol"), "Zintrel" + link));
    // Made by setup when missing; left alone when anything else is in it.
    removeFolder(programs, false);
}

void Uninstaller::removeRegistryEntries(bool removeVault,
                                        const std::optional<InstallRecord>& left) {
    // A store raises when it cannot delete what is there; whatever it
    // answers, a removal counts as done only once the thing is gone.
    const auto attempt = [this](const std::string& what, const std::function<bool()>& work) {
        try {
            if (!work()) problems_.push_back("Could not remove " + what + ".");
        } catch (const std::exception& failure) {
            problems_.push_back("Could not remove " + what + ": " + withFullStop(failure.what()));
        }
    };
    const auto deleteKey = [this](RegRoot root, const char* path) {
        registry_.deleteKey(root, path);
        return !registry_.openKey(root, path, false);
    };
    attempt("the uninstall entry",
            [&] { return deleteKey(RegRoot::LocalMachine, kUninstallKeyPath); });
    attempt("the autostart entry", [this] {
        const auto run = registry_.openKey(RegRoot::CurrentUser, kRunKeyPath, false);
        if (!run) return true;
        run->deleteValue(kAutostartValue);
        return !run->readValue(kAutostartValue);
    });
    if (removeVault) {
        attempt("your bookmarks and settings",
                [&] { return deleteKey(RegRoot::CurrentUser, kVaultKeyPath); });
    } else if (left) {
        // What is still there stays on record for the next run.
        attempt("the record of what setup installed", [&] {
            writeInstallRecord(registry_, *left);
            return true;
        });
    }
}

}  // namespace zn::setup
