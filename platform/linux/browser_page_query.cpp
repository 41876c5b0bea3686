#include "platform/linux/browser_page_query.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/linux/chromium_session.h"
#include "platform/linux/firefox_session.h"
#include "platform/linux/registry_location.h"
#include "platform/linux/x11_window_list.h"

namespace zn {
namespace {

enum class BrowserFamily { firefox, chromium };
enum class PlaceRoot { home, configHome };

// A folder a browser keeps its profiles in: for Firefox the folder of
// profiles.ini, for the Chromium family the user-data folder.
struct BrowserPlace {
    BrowserFamily family;
    PlaceRoot root;
    const char* folder;
    const char* flatpakApp;   // the Flatpak app whose sandbox writes there, else ""
    const char* titleSuffix;  // what the browser's windows add to the page title
};

// Current Firefox versions keep their profiles under the configuration
// folder; older ones, Debian's ESR and the Snap under .mozilla. A Snap keeps
// a browser's folders in ~/snap/<name>/common, a Flatpak in
// ~/.var/app/<app>, where its configuration folder is config/. Edge's
// windows put a zero-width space inside its name.
constexpr BrowserPlace kBrowserPlaces[] = {
    {BrowserFamily::firefox, PlaceRoot::configHome, "mozilla/firefox", "", ""},
    {BrowserFamily::firefox, PlaceRoot::home, ".mozilla/firefox", "", ""},
    {BrowserFamily::firefox, PlaceRoot::home, "snap/firefox/common/.mozilla/firefox", "", ""},
    {BrowserFamily::firefox, PlaceRoot::home, ".var/app/org.mozilla.firefox/.mozilla/firefox",
     "org.mozilla.firefox", ""},
    {BrowserFamily::firefox, PlaceRoot::home, ".var/app/org.mozilla.firefox/config/mozilla/firefox",
     "org.mozilla.firefox", ""},
    {BrowserFamily::chromium, PlaceRoot::configHome, "chromium", "", " - Chromium"},
    {BrowserFamily::chromium, PlaceRoot::home, "snap/chromium/common/chromium", "", " - Chromium"},
    {BrowserFamily::chromium, PlaceRoot::home, ".var/app/org.chromium.Chromium/config/chromium",
     "org.chromium.Chromium", " - Chromium"},
    {BrowserFamily::chromium, PlaceRoot::configHome, "google-chrome", "", " - Google Chrome"},
    {BrowserFamily::chromium, PlaceRoot::home, ".var/app/com.google.Chrome/config/google-chrome",
     "com.google.Chrome", " - Google Chrome"},
    {BrowserFamily::chromium, PlaceRoot::configHome, "BraveSoftware/Brave-Browser", "", " - Brave"},
    {BrowserFamily::chromium, PlaceRoot::home,
     ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser", "com.brave.Browser",
     " - Brave"},
    {BrowserFamily::chromium, PlaceRoot::configHome, "microsoft-edge", "",
     " - Microsoft\u200b Edge"},
    {BrowserFamily::chromium, PlaceRoot::configHome, "vivaldi", "", " - Vivaldi"},
    {BrowserFamily::chromium, PlaceRoot::configHome, "opera", "", " - Opera"},
};

// A browser of the family that runs, and the session file it keeps.
struct RunningBrowser {
    const BrowserPlace* place;
    std::filesystem::path folder;  // Chromium: the user-data folder
    pid_t process;                 // Chromium: as its lock names it
    std::filesystem::path session;
    std::filesystem::file_time_type written;  // the oldest time when there is no session yet
};

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::filesystem::path placeFolder(const BrowserFolders& folders, const BrowserPlace& place) {
    return (place.root == PlaceRoot::home ? folders.home : folders.configHome) / place.folder;
}

std::filesystem::file_time_type writtenAt(const std::filesystem::path& session) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(session, error);
    return error ? std::filesystem::file_time_type::min() : time;
}

std::vector<RunningBrowser> runningBrowsers(const BrowserFolders& folders, BrowserFamily family) {
    std::vector<RunningBrowser> running;
    const std::string host = family == BrowserFamily::chromium ? hostName() : std::string();
    for (const auto& place : kBrowserPlaces) {
        if (place.family != family) continue;
        const auto folder = placeFolder(folders, place);
        const auto alive = lockHolderCheck(folders.processes, place.flatpakApp);
        if (family == BrowserFamily::firefox) {
            for (auto& session : firefoxRunningSessions(folder, alive)) {
                // A profile named by absolute path may be listed from two places.
                const bool listed = std::any_of(running.begin(), running.end(), [&](const auto& r) {
                    return r.session == session;
                });
                if (!listed) running.push_back({&place, folder, 0, session, writtenAt(session)});
            }
        } else if (const auto process = chromiumProcess(folder, host, alive)) {
            auto session = chromiumSessionFile(folder);
            running.push_back({&place, folder, *process, session, writtenAt(session)});
        }
    }
    std::stable_sort(running.begin(), running.end(), [](const auto& left, const auto& right) {
        return left.written > right.written;
    });
    return running;
}

// The page of the family's browser used last; when its files give none, the
// one used before it answers.
std::optional<BrowserPage> familyPage(const BrowserFolders& folders, BrowserFamily family,
                                      const WindowTitleOfProcess& windowTitle) {
    for (const auto& browser : runningBrowsers(folders, family)) {
        const auto page = family == BrowserFamily::firefox
                              ? firefoxSessionFilePage(browser.session)
                              : chromiumPage(browser.folder, browser.process, browser.session,
                                             browser.place->titleSuffix, windowTitle);
        if (page) return page;
    }
    return std::nullopt;
}

// Flatpak's own fallback when the variable is missing is its cache folder;
// the sandboxes of a desktop session are listed in /run/user/<uid>.
std::filesystem::path runtimeFolder() {
    const char* variable = std::getenv("XDG_RUNTIME_DIR");
    const std::filesystem::path given = variable ? variable : "";
    if (given.is_absolute()) return given;
    return std::filesystem::path("/run/user") / std::to_string(::getuid());
}

}  // namespace

BrowserPageQuery::BrowserPageQuery() : folders_(BrowserFolders::fromEnvironment()) {
    auto windows = std::make_shared<X11WindowList>();
    windowTitle_ = [windows](pid_t process) { return windows->frontTitleOf(process); };
}

BrowserFolders BrowserFolders::fromEnvironment() {
    const XdgFolders xdg = XdgFolders::fromEnvironment();
    return {xdg.home, xdg.configHome, {"/proc", runtimeFolder()}};
}

// Nothing here may raise into the capture: a failure is a browser that did
// not answer.
std::optional<std::string> BrowserPageQuery::request(const std::string& service) {
    try {
        std::optional<BrowserPage> page;
        if (service == "Netscape") page = familyPage(folders_, BrowserFamily::firefox, {});
        if (service == "IExplore")
            page = familyPage(folders_, BrowserFamily::chromium, windowTitle_);
        if (page) return browserReply(*page);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

}  // namespace zn
