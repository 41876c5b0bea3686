// The work behind Install: the vault key values the program reads, the
// install folder and its files, the shortcuts, the uninstall entry. Every
// step runs once per Install, in a fixed order, and nothing is rolled back.
#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "platform/shell_links.h"
#include "setup/install_record.h"

namespace zn::setup {

inline constexpr const char* kVaultKeyPath = "\\Software\\Halvorn\\Bookmarks";
inline constexpr const char* kShellFoldersKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kUninstallKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZintrelApp";

inline constexpr const char* kNewPasswordQuestion =
    "Setup has detected a previous version of Zintrel on your system.\r\rDo you want to set a new "
    "password?\r\rImportant Note: If you set a new password all your bookmarks from the previous "
    "version will be removed.";
// Followed by the folder and a full stop.
inline constexpr const char* kNoDesktopFolderMessage =
    "There is no icon on your desktop: Setup could not create the desktop folder ";
inline constexpr const char* kInstallErrorMessage =
    "There was an error installing Zintrel.\r\rBe sure that you have closed any previous version "
    "of Zintrel that is running on your system and that you have adequate drive space.";

// The distribution's file names on this system.
std::string programFileName();  // "znvault", "znvault.exe" on Windows
std::string uninstallerName();  // "unzn", "unzn.exe" on Windows
// A link's file name from its target: the target's file name without its
// extension, followed by the link extension.
std::string linkNameFor(const std::string& target);

struct SetupPorts {
    Registry& registry;
    FileSystem& files;
    ShellLinks& links;
    MessageBoxes& messages;
};

// The installation screen's run state and the procedures that share it.
class Installation {
public:
    explicit Installation(SetupPorts ports) : ports_(ports) {}

    // The run state.
    std::string sourceFolder;  // ends with the separator
    std::string installFolder;
    std::string windowsFolder;
    bool desktopChosen = false;
    bool startMenuChosen = false;
    bool installFailed = false;
    std::string desktopFolder;
    std::string startMenuFolder;
    // What this Install and every earlier one made; read by rewritereg, kept
    // in the store as each thing is made.
    InstallRecord record;

    // Writes "installdir" and "a"; offers to drop a stored password.
    void rewritereg();
    void findwindowsdir();
    void getshellfolders();
    // Folder, files, shortcuts; on a failed program copy shows the error and
    // sets installFailed.
    void installfiles();
    void makeshortcut(const std::string& target, const std::string& linkPath);
    // Every failure in it is ignored.
    void renameshortcuts();
    void uninstallsetup();

    std::string programGroupFolder() const;
    std::string installed(const std::string& name) const;

private:
    // The record an older setup left none of: what its uninstaller removed
    // for that install folder, short of the desktop link, which may be the
    // user's own.
    InstallRecord legacyRecord(const std::string& folder);
    void noteMade(MadeKind kind, const std::string& path);
    void noteMadeIfThere(MadeKind kind, const std::string& path);
    void noteRenamed(const std::string& from, const std::string& to);
    // Makes the folder, and when that fails the missing folders above it and
    // the folder once more, noting each one made.
    // Nothing is noted without a kind.
    void createFolders(const std::string& path, std::optional<MadeKind> kind);
    // True when the desktop folder is there, made now if it was missing.
    bool ensureDesktopFolder();
    // Copies a distribution file; true when the file at `to` is now the
    // source's copy (also when both name the same file).
    bool copyDistributionFile(const std::string& name, const std::string& to);
    void deleteUnlessSource(const std::string& path, const std::string& name);
    void makeProgramGroup();

    SetupPorts ports_;
};

}  // namespace zn::setup
