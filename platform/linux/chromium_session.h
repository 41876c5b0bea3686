// The page a running Chromium-family browser shows: from its DevTools
// endpoint when one is open on loopback, else from the session file the
// browser keeps by itself (Sessions/Session_* of the last used profile).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/browser_files.h"

namespace zn {

// The largest files the readers take; each is read in time and memory in
// proportion to its size, so these caps bound what any file can cost.
inline constexpr std::size_t kMaxChromiumSessionFile = 8u << 20;
inline constexpr std::size_t kMaxLocalStateFile = 4u << 20;
inline constexpr std::size_t kMaxDevToolsList = 4u << 20;

// The current navigation of the selected tab of the active window, from the
// commands of a session file ("SNSS", version 1 or 3). A truncated last
// command (the browser may be appending) is ignored; anything else that is
// not such a file gives nothing, as does a file larger than the cap or one
// past the bounds of what a browser keeps (tens of thousands of tabs,
// hundreds of thousands of history entries).
std::optional<BrowserPage> chromiumSessionPage(std::string_view sessionFile);

// The profile folder name "Local State" gives as last used
// (profile.last_used, else the first of profile.last_active_profiles),
// "Default" when it names none.
std::string chromiumLastUsedProfile(std::string_view localState);

// The newest Sessions/Session_<time> file of a profile (by its time), or an
// empty path.
std::filesystem::path chromiumNewestSession(const std::filesystem::path& profile);

// The browser process when the user-data folder's SingletonLock link
// ("host-pid") names this host and a live process.
std::optional<pid_t> chromiumProcess(const std::filesystem::path& userData,
                                     std::string_view hostName,
                                     const LockHolderAlive& alive = processAlive);

// The session file a running browser's page is read from: the newest of its
// last used profile, else the newest in the user-data folder itself (a
// browser that keeps its one profile there); empty when there is none.
std::filesystem::path chromiumSessionFile(const std::filesystem::path& userData);

// The port in a DevToolsActivePort file (its first line), if valid.
std::optional<std::uint16_t> devToolsPort(std::string_view activePortFile);

// The first "page" target of a DevTools /json/list answer.
std::optional<BrowserPage> devToolsFirstPage(std::string_view targetList);

// The title of the frontmost window of a process, empty when it has none.
using WindowTitleOfProcess = std::function<std::string(pid_t)>;

// The page title in a browser window's title: what comes before the last
// suffix; empty when the title does not carry the suffix.
std::string pageTitleFromWindow(std::string_view windowTitle, std::string_view suffix);

// The page of a running browser (its process as its lock names it): from
// its DevTools endpoint when one is open, else from its session file. The
// session file receives a page's title only when the browser writes that
// entry again (at the next navigation), so when the current entry has no
// title yet it is taken from the browser's frontmost window, if a title
// source is given.
std::optional<BrowserPage> chromiumPage(const std::filesystem::path& userData, pid_t process,
                                        const std::filesystem::path& sessionFile,
                                        std::string_view titleSuffix,
                                        const WindowTitleOfProcess& windowTitle);

}  // namespace zn
