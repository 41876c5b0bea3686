// The page query answered by the browsers that run on this desktop, as the
// comma text a browser would send: "Netscape" by a Firefox-family browser,
// "IExplore" by a Chromium-family one, each looked for in its native, Snap
// and Flatpak folders. When several of a family run, the one whose session
// file was written last answers: the user used it last. Only files and
// loopback are used, so an answer comes well within a second, and a browser
// that does not run costs a few file lookups.
#pragma once

#include <filesystem>

#include "platform/linux/chromium_session.h"
#include "platform/linux/flatpak_sandboxes.h"
#include "platform/page_query.h"

namespace zn {

struct BrowserFolders {
    std::filesystem::path home;        // ~/.mozilla, ~/snap, ~/.var/app live here
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME: mozilla/firefox, chromium, ...
    // Where Flatpak lists its running sandboxes ($XDG_RUNTIME_DIR) and where
    // the processes are (/proc), for the locks of sandboxed browsers.
    ProcessFolders processes;

    BrowserFolders(std::filesystem::path home, std::filesystem::path configHome,
                   ProcessFolders processes = {"/proc", {}})
        : home(std::move(home)), configHome(std::move(configHome)),
          processes(std::move(processes)) {}

    static BrowserFolders fromEnvironment();
};

class BrowserPageQuery : public PageQuery {
public:
    // The user's folders; titles missing from a Chromium session come from
    // the browser's window on $DISPLAY.
    BrowserPageQuery();
    // windowTitle may be empty: no titles from windows.
    explicit BrowserPageQuery(BrowserFolders folders, WindowTitleOfProcess windowTitle = {})
        : folders_(std::move(folders)), windowTitle_(std::move(windowTitle)) {}

    std::optional<std::string> request(const std::string& service) override;

private:
    BrowserFolders folders_;
    WindowTitleOfProcess windowTitle_;
};

}  // namespace zn
