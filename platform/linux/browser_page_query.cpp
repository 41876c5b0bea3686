#include "platform/linux/browser_page_query.h"

#include <unistd.h>

#include <climits>

#include "platform/linux/chromium_session.h"
#include "platform/linux/firefox_session.h"
#include "platform/linux/registry_location.h"
#include "platform/linux/x11_window_list.h"

namespace zn {
namespace {

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// Current versions keep their profiles under the configuration folder; older
// ones, and Debian's ESR, under ~/.mozilla.
std::optional<BrowserPage> firefoxFamilyPage(const BrowserFolders& folders) {
    for (const auto& root :
         {folders.configHome / "mozilla" / "firefox", folders.home / ".mozilla" / "firefox"}) {
        if (auto page = firefoxPage(root)) return page;
    }
    return std::nullopt;
}

std::optional<BrowserPage> chromiumFamilyPage(const BrowserFolders& folders,
                                              const WindowTitleOfProcess& windowTitle) {
    static constexpr ChromiumBrowser kFamily[] = {{"chromium", " - Chromium"},
                                                  {"google-chrome", " - Google Chrome"},
                                                  {"BraveSoftware/Brave-Browser", " - Brave"}};
    const std::string host = hostName();
    for (const auto& browser : kFamily) {
        if (auto page = chromiumPage(folders.configHome / browser.userData, host,
                                     browser.titleSuffix, windowTitle)) {
            return page;
        }
    }
    return std::nullopt;
}

}  // namespace

BrowserPageQuery::BrowserPageQuery() : folders_(BrowserFolders::fromEnvironment()) {
    auto windows = std::make_shared<X11WindowList>();
    windowTitle_ = [windows](pid_t process) { return windows->frontTitleOf(process); };
}

BrowserFolders BrowserFolders::fromEnvironment() {
    const XdgFolders xdg = XdgFolders::fromEnvironment();
    return {xdg.home, xdg.configHome};
}

// Nothing here may raise into the capture: a failure is a browser that did
// not answer.
std::optional<std::string> BrowserPageQuery::request(const std::string& service) {
    try {
        std::optional<BrowserPage> page;
        if (service == "Netscape") page = firefoxFamilyPage(folders_);
        if (service == "IExplore") page = chromiumFamilyPage(folders_, windowTitle_);
        if (page) return browserReply(*page);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

}  // namespace zn
