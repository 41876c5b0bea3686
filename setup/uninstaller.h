// The uninstaller: removes what setup installed (the program's files and
// folder, the shortcuts, the uninstall entry) and the autostart entry, and,
// only when the user says so, the vault (the settings key with the entries).
// What setup made it learns from setup's record; an installation by a setup
// that kept none loses the files its install folder names and the usual
// shortcuts. Whatever it could not remove it names, one line each.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/instance_channel.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "platform/window_list.h"
#include "setup/install_record.h"

namespace zn::setup {

inline constexpr const char* kUninstallTitle = "Uninstall";
inline constexpr const char* kUninstallQuestion = "Do you want to remove Zintrel from your system?";
inline constexpr const char* kRemoveVaultQuestion =
    "Do you also want to remove your bookmarks and Zintrel's settings?\r\rIf you answer No they "
    "stay, and a new installation of Zintrel will find them.";
inline constexpr const char* kStillRunningMessage =
    "Zintrel is running. Please close it, then start the uninstaller again.";
inline constexpr const char* kRemovedMessage = "Zintrel has been removed from your system.";
inline constexpr const char* kPartlyRemovedMessage = "Zintrel has been removed, except for these:";

class Uninstaller {
public:
    Uninstaller(Registry& registry, FileSystem& files, MessageBoxes& messages, WindowList& windows,
                InstanceChannel* runningCopy = nullptr)
        : registry_(registry),
          files_(files),
          messages_(messages),
          windows_(windows),
          runningCopy_(runningCopy) {}

    void run();

    // What could not be removed, one line each, in the order met.
    const std::vector<std::string>& problems() const { return problems_; }

private:
    std::string readString(RegRoot root, const char* key, const char* value);
    void removeFile(const std::string& path);
    void removeFolder(const std::string& path, bool reported);
    // What the record names; returns what is still there.
    InstallRecord removeRecorded(const InstallRecord& record);
    void removeInstalledFiles();
    void removeShortcuts();
    void removeRegistryEntries(bool removeVault, const std::optional<InstallRecord>& left);

    Registry& registry_;
    FileSystem& files_;
    MessageBoxes& messages_;
    WindowList& windows_;
    InstanceChannel* runningCopy_;  // none: the window title alone tells
    std::vector<std::string> problems_;
};

}  // namespace zn::setup
