// The folders the page query finds running browsers in (native, Snap,
// Flatpak), which of several running browsers answers, and how the lock of a
// browser in a Flatpak sandbox is read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/linux/browser_page_query.h"
#include "platform/linux/flatpak_sandboxes.h"
#include "tests/fakes/temp_folder.h"
#include "tests/platform/browser_test_files.h"

namespace zn {
namespace {

namespace fs = std::filesystem;
using testing::deadPid;
using testing::mozLz4;
using testing::SessionWriter;
using testing::TempFolder;
using testing::thisHost;
using testing::writeFile;

std::string firefoxSession(const std::string& url) {
    return mozLz4(R"({"windows":[{"tabs":[{"entries":[{"url":")" + url +
                  R"(","title":"From Firefox"}]}]}]})");
}

void lockLink(const fs::path& link, const std::string& target) {
    fs::remove(link);
    fs::create_symlink(target, link);
}

// A Firefox of this root folder (where profiles.ini is) showing the page;
// its lock names the process number given. Returns its session file.
fs::path layOutFirefox(const fs::path& root, const std::string& url, pid_t lockNumber) {
    writeFile(root / "profiles.ini",
              "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\nDefault=1\n");
    const fs::path session = root / "p.default" / "sessionstore-backups" / "recovery.jsonlz4";
    writeFile(session, firefoxSession(url));
    lockLink(root / "p.default" / "lock", "127.0.0.1:+" + std::to_string(lockNumber));
    return session;
}

// A Chromium-family browser of this user-data folder showing the page, whose
// session names no title yet; its session in the profile folder given.
fs::path layOutChromium(const fs::path& userData, const std::string& profile,
                        const std::string& url, pid_t lockNumber) {
    const fs::path session = userData / profile / "Sessions" / "Session_13441191741286558";
    writeFile(session, SessionWriter().command(0, {1, 1}).navigation(1, 0, url, u"").file());
    lockLink(userData / "SingletonLock", thisHost() + "-" + std::to_string(lockNumber));
    return session;
}

std::optional<std::string> ask(const fs::path& home, const std::string& service,
                               WindowTitleOfProcess windowTitle = {},
                               ProcessFolders processes = {"/proc", "/nonexistent"}) {
    return BrowserPageQuery({home, home / ".config", std::move(processes)}, std::move(windowTitle))
        .request(service);
}

// Each place as the browser lays it out under a home folder whose
// configuration folder is ~/.config; a Chromium window's title carries the
// browser's name after the page title.
TEST(BrowserPlaces, EachPlaceAnswersWhileItsBrowserRuns) {
    const struct {
        const char* folder;
        const char* profile;  // Chromium: where its session is; "" for the user-data folder
        const char* windowSuffix;
    } places[] = {
        {".config/mozilla/firefox", nullptr, nullptr},
        {".mozilla/firefox", nullptr, nullptr},
        {"snap/firefox/common/.mozilla/firefox", nullptr, nullptr},
        {".var/app/org.mozilla.firefox/.mozilla/firefox", nullptr, nullptr},
        {".var/app/org.mozilla.firefox/config/mozilla/firefox", nullptr, nullptr},
        {".config/chromium", "Default", " - Chromium"},
        {"snap/chromium/common/chromium", "Default", " - Chromium"},
        {".var/app/org.chromium.Chromium/config/chromium", "Default", " - Chromium"},
        {".config/google-chrome", "Default", " - Google Chrome"},
        {".var/app/com.google.Chrome/config/google-chrome", "Default", " - Google Chrome"},
        {".config/BraveSoftware/Brave-Browser", "Default", " - Brave"},
        {".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser", "Default", " - Brave"},
        {".config/microsoft-edge", "Default", " - Microsoft\u200b Edge"},
        {".config/vivaldi", "Default", " - Vivaldi"},
        {".config/opera", "", " - Opera"},
    };
    const pid_t self = getpid(), dead = deadPid();
    for (const auto& [folder, profile, windowSuffix] : places) {
        TempFolder home;
        const std::string url = "http://place.example/" + std::string(folder);
        const bool firefox = profile == nullptr;
        const std::string service = firefox ? "Netscape" : "IExplore";
        const std::string otherService = firefox ? "IExplore" : "Netscape";
        const auto titleOf = [&](pid_t process) {
            return process == self ? "Shown" + std::string(windowSuffix) : std::string();
        };
        const auto layOut = [&](pid_t lockNumber) {
            if (firefox) {
                layOutFirefox(home / folder, url, lockNumber);
            } else {
                layOutChromium(home / folder, profile, url, lockNumber);
            }
        };
        layOut(self);
        EXPECT_EQ(ask(home.path(), service, titleOf),
                  browserReply({url, firefox ? "From Firefox" : "Shown"}))
            << folder;
        EXPECT_FALSE(ask(home.path(), otherService, titleOf)) << folder;
        layOut(dead);
        EXPECT_FALSE(ask(home.path(), service, titleOf)) << folder;
    }
}

// Two of a family run; the one whose session file was written last is the
// one used last. One without a usable session yet leaves the answer to the
// other.
TEST(BrowserPlaces, TheBrowserUsedLastAnswers) {
    const auto now = fs::file_time_type::clock::now();
    const pid_t self = getpid();
    const struct {
        const char* service;
        const char* first;
        const char* second;
    } families[] = {
        {"Netscape", ".mozilla/firefox", "snap/firefox/common/.mozilla/firefox"},
        {"IExplore", ".config/chromium",
         ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
    };
    for (const auto& [service, first, second] : families) {
        TempFolder home;
        const bool firefox = std::string(service) == "Netscape";
        const auto layOut = [&](const char* folder) {
            const std::string url = "http://" + std::string(folder) + "/";
            return firefox ? layOutFirefox(home / folder, url, self)
                           : layOutChromium(home / folder, "Default", url, self);
        };
        const fs::path firstSession = layOut(first), secondSession = layOut(second);
        const auto answerOf = [&](const char* folder) {
            return browserReply(
                {"http://" + std::string(folder) + "/", firefox ? "From Firefox" : ""});
        };
        for (const bool firstNewer : {true, false}) {
            fs::last_write_time(firstSession, now - std::chrono::seconds(firstNewer ? 10 : 20));
            fs::last_write_time(secondSession, now - std::chrono::seconds(firstNewer ? 20 : 10));
            EXPECT_EQ(ask(home.path(), service), answerOf(firstNewer ? first : second))
                << service << firstNewer;
        }
        writeFile(secondSession, "damaged");
        fs::last_write_time(secondSession, now);
        EXPECT_EQ(ask(home.path(), service), answerOf(first)) << service;
        fs::remove(firstSession);
        EXPECT_FALSE(ask(home.path(), service)) << service;
        layOut(first);
        fs::remove(secondSession);
        EXPECT_EQ(ask(home.path(), service), answerOf(first)) << service;
    }
}

// A fake process table: a Firefox sandbox whose child is host process 100
// (number 2 inside) with the browser as host process 101 (number `inside`
// inside, a number no host process has), and another app's sandbox.
class FlatpakSandboxes : public ::testing::Test {
protected:
    void SetUp() override {
        process(100, "pid:[4026532001]", "Name:\tbwrap\nNSpid:\t100\t2\n");
        process(101, "pid:[4026532001]", "Name:\tfirefox\nNSpid:\t101\t" + inside + "\n");
        process(200, "pid:[4026532002]", "Name:\tother\nNSpid:\t200\t2\n");
        sandbox("1", "[Application]\nname=org.mozilla.firefox\n", R"({"child-pid": 100})");
        sandbox("2", "[Application]\nname=org.other.App\n", R"({"child-pid": 200})");
    }
    void process(int number, const std::string& space, const std::string& status) {
        const fs::path folder = proc() / std::to_string(number);
        writeFile(folder / "status", status);
        fs::create_directories(folder / "ns");
        fs::create_symlink(space, folder / "ns" / "pid");
    }
    void sandbox(const std::string& id, const std::string& info, const std::string& bwrapInfo) {
        writeFile(runtime() / ".flatpak" / id / "info", info);
        writeFile(runtime() / ".flatpak" / id / "bwrapinfo.json", bwrapInfo);
    }
    bool alive(const std::string& app, pid_t number) {
        return lockHolderCheck({proc(), runtime()}, app)(number);
    }
    fs::path proc() const { return folder / "proc"; }
    fs::path runtime() const { return folder / "run"; }

    TempFolder folder;
    const pid_t insideNumber = deadPid();
    const std::string inside = std::to_string(insideNumber);
};

// While a sandbox of the app runs, only its own numbers count: a small
// number in its lock would name some host process, often a kernel thread.
TEST_F(FlatpakSandboxes, ALockCountsInTheAppsRunningSandbox) {
    const pid_t self = getpid();
    const struct {
        std::string app;
        pid_t number;
        bool alive;
    } cases[] = {
        {"org.mozilla.firefox", insideNumber, true},
        {"org.mozilla.firefox", 2, true},
        {"org.mozilla.firefox", self, false},
        {"org.mozilla.firefox", 3, false},
        {"org.other.App", insideNumber, false},
        {"com.brave.Browser", self, true},  // no sandbox of it: the host's numbers
        {"com.brave.Browser", insideNumber, false},
        {"", self, true},
        {"", insideNumber, false},
    };
    for (const auto& [app, number, expected] : cases)
        EXPECT_EQ(alive(app, number), expected) << app << " " << number;
    // The kernel's own files report no size; this process is in its namespace.
    const std::string ownSpace = fs::read_symlink("/proc/self/ns/pid").string();
    EXPECT_TRUE(processInNamespaces("/proc", {ownSpace}, self));
    EXPECT_FALSE(processInNamespaces("/proc", {ownSpace}, insideNumber));
}

TEST_F(FlatpakSandboxes, ASandboxThatIsGoneOrUnreadableLeavesTheHostsNumbers) {
    const pid_t self = getpid();
    const std::string bwrapInfos[] = {"", "not json", R"({"child-pid": -1})",
                                      R"({"child-pid": "100"})", R"({"child-pid": 99})"};
    for (const auto& bwrapInfo : bwrapInfos) {
        sandbox("1", "[Application]\nname=org.mozilla.firefox\n", bwrapInfo);
        EXPECT_TRUE(alive("org.mozilla.firefox", self)) << bwrapInfo;
        EXPECT_FALSE(alive("org.mozilla.firefox", insideNumber)) << bwrapInfo;
    }
    sandbox("1", "[Runtime]\nname=org.mozilla.firefox\n", R"({"child-pid": 100})");
    EXPECT_TRUE(alive("org.mozilla.firefox", self));
}

TEST_F(FlatpakSandboxes, ASandboxedChromiumAnswers) {
    TempFolder home;
    const fs::path place = home / ".var/app/org.chromium.Chromium/config/chromium";
    layOutChromium(place, "Default", "http://sandboxed.example/", insideNumber);
    sandbox("3", "[Application]\nname=org.chromium.Chromium\n", R"({"child-pid": 100})");
    EXPECT_EQ(ask(home.path(), "IExplore", {}, {proc(), runtime()}),
              browserReply({"http://sandboxed.example/", ""}));
    // The same folder outside the sandbox's place is judged by the host.
    fs::rename(home / ".var", home / ".config");
    fs::rename(home / ".config/app/org.chromium.Chromium/config/chromium",
               home / ".config/chromium");
    EXPECT_FALSE(ask(home.path(), "IExplore", {}, {proc(), runtime()}));
}

}  // namespace
}  // namespace zn
