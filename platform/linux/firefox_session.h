// The page a running Firefox-family browser shows, from its own files: the
// default profile named by profiles.ini, the profile's lock link, and the
// session it keeps in sessionstore-backups/recovery.jsonlz4.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/browser_files.h"

namespace zn {

// Largest session text we inflate: a session of thousands of tabs with their
// histories, and small enough that reading any session text, however forged,
// takes well under a tenth of a second and a few tens of megabytes.
inline constexpr std::size_t kMaxSessionText = 8u << 20;

// The JSON text inside a mozLz4 file: the 8-byte magic "mozLz40\0", the
// text's size as 32-bit little-endian, one LZ4 block. Nothing for any other
// content, a size above kMaxSessionText or one the block cannot have, or a
// block that does not inflate to exactly that size.
std::optional<std::string> inflateMozLz4(std::string_view file);

// The current history entry of the selected tab of the selected window.
// selectedWindow, selected and index count from 1 and are clamped to what
// exists, as the browser does when it restores. Nothing for text that is not
// a session or a session without a page.
// Text nested deeper than kMaxJsonDepth is no session.
std::optional<BrowserPage> firefoxSelectedPage(std::string_view sessionJson);

// The profile folders profiles.ini names as default, in the order to try:
// each [Install…] section's Default (one per installed build), then the
// profile with Default=1. Relative paths are taken from the root folder.
std::vector<std::filesystem::path> firefoxDefaultProfiles(std::string_view profilesIni,
                                                          const std::filesystem::path& root);

// True when the profile's lock link names a live process.
bool firefoxRunning(const std::filesystem::path& profile,
                    const LockHolderAlive& alive = processAlive);

// The session files (sessionstore-backups/recovery.jsonlz4, which may not
// have been written yet) of the default profiles under this root folder
// (…/mozilla/firefox) that run, each once.
std::vector<std::filesystem::path> firefoxRunningSessions(const std::filesystem::path& root,
                                                          const LockHolderAlive& alive);

// The page in a session file; nothing when it is missing or unreadable.
std::optional<BrowserPage> firefoxSessionFilePage(const std::filesystem::path& file);

}  // namespace zn
