// The settings the vault key holds: their names, defaults and reading rules.
// Names, types and defaults are a persisted format shared with the installer.
#pragma once

#include <string>

#include "platform/registry.h"

namespace zn {

inline constexpr const char* kRunKeyPath = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValue = "Bookmarks";

inline constexpr const char* kPasswordValue = "Password";
inline constexpr const char* kInstallDirValue = "Installdir";
inline constexpr const char* kMessagesValue = "Messages";
inline constexpr const char* kActivateKeyValue = "ActivateKey";
inline constexpr const char* kFavoriteKeyValue = "FavoriteKey";
inline constexpr const char* kDefBrowserValue = "DefBrowser";
inline constexpr const char* kAutoHideValue = "AutoHide";
inline constexpr const char* kIconValue = "Icon";
inline constexpr const char* kKeepPassValue = "KeepPass";
inline constexpr const char* kShowUserValue = "ShowUser";

// The settings the main window keeps in memory, with their defaults.
struct Settings {
    bool messages = true;
    std::string defBrowser;
    bool autoHide = false;
    bool keepPass = true;
    bool showUser = true;
};

// Any non-zero integer is on. A missing value, or one that is not a 32-bit
// integer, reads as the default; a failed read raises.
bool readFlag(const RegistryKey& key, const std::string& name, bool defaultValue);
void writeFlag(RegistryKey& key, const std::string& name, bool on);

// A stored shortcut text; empty or missing gives the default. A value that is
// not a string raises "Invalid data type for '...'".
std::string readShortcutText(const RegistryKey& key, const std::string& name,
                             const std::string& defaultText);

// The autostart command: the running program's own path, unquoted, and " /S".
std::string autostartCommand(const std::string& executablePath);

}  // namespace zn
