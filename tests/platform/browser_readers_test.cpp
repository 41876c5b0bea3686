// The browser readers on files the real browsers wrote, on forged and
// damaged files, and the rules that pick the profile, tell a running browser
// and reach its loopback endpoint.
#include <gtest/gtest.h>
#include <lz4.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "platform/linux/browser_page_query.h"
#include "platform/linux/chromium_session.h"
#include "platform/linux/firefox_session.h"
#include "platform/linux/loopback_http.h"
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

const fs::path kData = ZN_TEST_DATA_DIR;
// Both browsers showed this page in the second of two tabs, one step back
// in that tab's history (README.md in the data folder).
const BrowserPage kShownPage{"http://127.0.0.1:18765/index.html", "Zintrel \"quoted\" café ✓"};

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The Chromium session file; its name carries the time it was started.
fs::path realSessionFile() {
    for (const auto& entry : fs::directory_iterator(kData)) {
        if (entry.path().filename().string().starts_with("Session_")) return entry.path();
    }
    return {};
}

TEST(BrowserReaders, RealFilesGiveTheShownPage) {
    const auto text = inflateMozLz4(fileText(kData / "recovery.jsonlz4"));
    ASSERT_TRUE(text);
    EXPECT_EQ(firefoxSelectedPage(*text), kShownPage);
    EXPECT_EQ(chromiumSessionPage(fileText(realSessionFile())), kShownPage);
    EXPECT_EQ(browserReply(kShownPage),
              "\"http://127.0.0.1:18765/index.html\",\"Zintrel \"\"quoted\"\" café ✓\",\"\"");
}

TEST(BrowserReaders, DamagedMozLz4GivesNothing) {
    const std::string real = fileText(kData / "recovery.jsonlz4");
    std::string sizeTooLarge = real;
    sizeTooLarge[8] = char(sizeTooLarge[8] + 1);
    std::string wrongMagic = real;
    wrongMagic[6] = '1';
    const std::string cases[] = {
        "",
        std::string("mozLz40\0", 8),
        real.substr(0, real.size() / 2),
        sizeTooLarge,
        wrongMagic,
        mozLz4("{}", 0xFFFFFFFFu),
        mozLz4("{}", 100000),  // more than two bytes of block can hold
        std::string("mozLz40\0\x10\0\0\0", 12) + std::string(16, '\xFF'),
    };
    for (const auto& file : cases) EXPECT_FALSE(inflateMozLz4(file)) << file.size();
    EXPECT_EQ(inflateMozLz4(mozLz4("{\"windows\":[]}")), "{\"windows\":[]}");
}

TEST(BrowserReaders, FirefoxSessionPositionsCountFromOneAndAreClamped) {
    const std::string twoWindows =
        R"({"windows":[{"tabs":[{"entries":[{"url":"w1"}]}]},)"
        R"({"selected":2,"tabs":[{"entries":[{"url":"t1"}]},)"
        R"({"index":1,"entries":[{"url":"a","title":"A"},{"url":"b","title":"B"}]}]}],)";
    const struct {
        std::string json;
        std::optional<BrowserPage> page;
    } cases[] = {
        {twoWindows + R"("selectedWindow":2})", BrowserPage{"a", "A"}},
        {twoWindows + R"("selectedWindow":9})", BrowserPage{"a", "A"}},
        {twoWindows + R"("selectedWindow":0})", BrowserPage{"w1", ""}},
        {twoWindows + R"("selectedWindow":"2"})", BrowserPage{"w1", ""}},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"},{"url":"b"}]}]}]})", BrowserPage{"b", ""}},
        {R"({"windows":[{"tabs":[{"index":7,"entries":[{"url":"a"},{"url":"b"}]}]}]})",
         BrowserPage{"b", ""}},
        {R"({"windows":[{"tabs":[{"entries":[]}]}]})", std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":5,"title":"x"}]}]}]})", std::nullopt},
        {R"({"windows":{"tabs":[]}})", std::nullopt},
        {R"({"windows":[]})", std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"}]}]})", std::nullopt},  // cut short
        {std::string(200000, '[') + std::string(200000, ']'), std::nullopt},
        {R"( { "windows" : [ { "tabs" : [ { "entries" : [ { "url" : "u\u00e9\ud83d\ude00" ,)"
         R"( "title" : "a\"b\\c\/d\n" } ] } ] } ] } )",
         BrowserPage{"u\xC3\xA9\xF0\x9F\x98\x80", "a\"b\\c/d\n"}},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"}]}]}],)"
         R"("windows":[{"tabs":[{"entries":[{"url":"b"}]}]}]})",
         BrowserPage{"b", ""}},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a","x":[)" + std::string(500, '[') +
             std::string(500, ']') + "]}]}]}]}",
         BrowserPage{"a", ""}},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a","x":[)" + std::string(520, '[') +
             std::string(520, ']') + "]}]}]}]}",
         std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"}]}]}],"x":"\xff"})", std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a\ud800"}]}]}]})", std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"}]}]}]} x)", std::nullopt},
        {R"({"windows":[{"tabs":[{"entries":[{"url":"a"}]}]}],"n":01})", std::nullopt},
        {std::string("\x89PNG\r\n\x1a\n\0\0\xff", 12), std::nullopt},
    };
    for (const auto& [json, page] : cases)
        EXPECT_EQ(firefoxSelectedPage(json), page) << json.substr(0, 80);
}

TEST(BrowserReaders, ChromiumSessionFollowsTheActiveWindowAndItsSelections) {
    SessionWriter session;
    session
        .command(0, {1, 10})  // window 1: tabs 10 and 11
        .command(0, {1, 11})
        .command(0, {2, 20})  // window 2: tabs 20 and 21
        .command(0, {2, 21})
        .command(2, {20, 1})  // tab 20 shows second, tab 21 first
        .command(2, {21, 0})
        .navigation(10, 0, "http://one/", u"One")
        .navigation(11, 0, "http://one-b/", u"One B")
        .navigation(20, 0, "http://a/", u"A")
        .navigation(20, 1, "http://b/", u"B \U0001F600")
        .navigation(20, 2, "http://c/", u"C")
        .command(7, {20, 1})
        .navigation(21, 0, "http://other/", u"Other")
        .command(8, {2, 1})  // the second tab of window 2: tab 20
        .command(8, {1, 0})
        .command(20, {2});
    EXPECT_EQ(chromiumSessionPage(session.file()), (BrowserPage{"http://b/", "B 😀"}));

    SessionWriter pruned = session;
    pruned.command(24, {20, 0, 1});  // "a" goes; "b" is now entry 0, still current
    EXPECT_EQ(chromiumSessionPage(pruned.file()), (BrowserPage{"http://b/", "B 😀"}));

    SessionWriter tabClosed = session;
    tabClosed.raw(16, std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16));  // tab 20
    EXPECT_EQ(chromiumSessionPage(tabClosed.file()), (BrowserPage{"http://other/", "Other"}));

    SessionWriter windowClosed = session;
    windowClosed.raw(17, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(chromiumSessionPage(windowClosed.file()), (BrowserPage{"http://one/", "One"}));

    SessionWriter loneSurrogate;
    loneSurrogate.command(0, {1, 1}).navigation(1, 0, "u", std::u16string(1, char16_t(0xD800)));
    EXPECT_EQ(chromiumSessionPage(loneSurrogate.file()), (BrowserPage{"u", "\xEF\xBF\xBD"}));
}

// Where each command of a session file starts, and its id.
std::vector<std::pair<std::size_t, std::uint8_t>> sessionCommands(const std::string& file) {
    std::vector<std::pair<std::size_t, std::uint8_t>> commands;
    for (std::size_t offset = 8; offset + 3 <= file.size();) {
        commands.emplace_back(offset, std::uint8_t(file[offset + 2]));
        offset += 2 + (std::uint8_t(file[offset]) | (std::uint8_t(file[offset + 1]) << 8));
    }
    return commands;
}

TEST(BrowserReaders, DamagedSessionFiles) {
    const std::string real = fileText(realSessionFile());
    std::string enciphered = real;
    enciphered[4] = 2;
    EXPECT_FALSE(chromiumSessionPage(enciphered));
    EXPECT_FALSE(chromiumSessionPage("SNS"));
    EXPECT_FALSE(chromiumSessionPage("NOPE\3\0\0\0"));
    const auto commands = sessionCommands(real);
    // A cut inside a command reads as the cut before it: the browser may be
    // writing that command.
    for (std::size_t command = 0; command < commands.size(); ++command) {
        const std::size_t start = commands[command].first;
        const std::size_t end =
            command + 1 < commands.size() ? commands[command + 1].first : real.size();
        const auto before = chromiumSessionPage(std::string_view(real).substr(0, start));
        for (std::size_t length = start + 1; length < end; ++length)
            EXPECT_EQ(chromiumSessionPage(std::string_view(real).substr(0, length)), before)
                << length;
    }
    // A spoiled byte in a command the reader does not read changes nothing;
    // elsewhere it gives a page with an address, or nothing.
    const std::set<std::uint8_t> read{0, 2, 3, 4, 5, 6, 7, 8, 11, 16, 17, 20, 24};
    std::size_t unread = 0;
    for (std::size_t command = 0; command < commands.size(); ++command) {
        const auto [start, id] = commands[command];
        const std::size_t end =
            command + 1 < commands.size() ? commands[command + 1].first : real.size();
        for (std::size_t at = start; at < end; ++at) {
            std::string spoiled = real;
            spoiled[at] = char(~spoiled[at]);
            const auto page = chromiumSessionPage(spoiled);
            if (!read.count(id) && at > start + 2) {
                EXPECT_EQ(page, kShownPage) << at;
                ++unread;
            } else if (page) {
                EXPECT_FALSE(page->url.empty()) << at;
            }
        }
    }
    EXPECT_GT(unread, 100u);
    SessionWriter huge;
    huge.command(0, {1, 1}).raw(6, std::string("\x40\0\0\0\1\0\0\0\0\0\0\0\xff\xff\xff\x7f", 16));
    EXPECT_FALSE(chromiumSessionPage(huge.file()));
}

// The kB of a line of /proc/self/status ("VmSize").
long statusKb(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(name + ":")) return std::stol(line.substr(name.size() + 1));
    }
    return 0;
}

// Files made to be slow or large: what used to take minutes or gigabytes is
// read in moments, in a child process allowed 96 MB more than it has.
TEST(BrowserReaders, ForgedFilesAreReadInTimeAndMemoryToTheirSize) {
    SessionWriter closedWindows;  // 720 KB of tabs, their windows closed one by one
    for (std::int32_t window = 1; closedWindows.file().size() < 720'000; ++window) {
        for (std::int32_t tab = 0; tab < 500; ++tab) closedWindows.command(0, {window, tab});
        closedWindows.command(17, {window});
    }
    SessionWriter prunes;  // history entries moved down again and again
    prunes.command(0, {1, 1});
    for (std::int32_t index = 0; index < 30000; ++index)
        prunes.navigation(1, index, "http://p/", u"");
    for (std::int32_t step = 0; step < 30000; ++step) prunes.command(24, {1, 0, 1});
    const std::string brackets = std::string(4u << 20, '[') + std::string(4u << 20, ']');
    const std::string session = mozLz4(brackets);
    const std::string_view nested = std::string_view(brackets).substr(2u << 20, 4u << 20);
    const std::function<bool()> reads[] = {
        [&] { return !chromiumSessionPage(closedWindows.file()); },
        [&] { return !chromiumSessionPage(prunes.file()); },
        [&] { return !firefoxSelectedPage(*inflateMozLz4(session)); },
        [&] { return chromiumLastUsedProfile(nested) == "Default"; },
        [&] { return !devToolsFirstPage(nested); },
    };
    const rlim_t allowed = rlim_t(statusKb("VmSize") + 96 * 1024) * 1024;
    for (std::size_t which = 0; which < std::size(reads); ++which) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            const rlimit limit{allowed, allowed};
            setrlimit(RLIMIT_AS, &limit);
            try {
                _exit(reads[which]() ? 0 : 1);
            } catch (...) {
                _exit(2);  // never back into the test runner
            }
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << which;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << which;
    }
}

TEST(BrowserReaders, FirefoxDefaultProfileChoice) {
    const fs::path root = "/home/u/.mozilla/firefox";
    const struct {
        std::string ini;
        std::vector<fs::path> profiles;
    } cases[] = {
        {"[Profile0]\nPath=a.default\nIsRelative=1\nDefault=1\n\n[Install4F96]\nDefault=b.esr\n",
         {root / "b.esr", root / "a.default"}},
        {"[Profile1]\nPath=x\n[Profile0]\r\nName=w\r\nIsRelative=0\r\nPath=/data/"
         "work\r\nDefault=1\r\n",
         {"/data/work"}},
        {"; comment\n[Install1]\nDefault=/abs/p\n[Install2]\nDefault=rel\n",
         {"/abs/p", root / "rel"}},
        {"[Profile0]\nPath=only\n", {}},
        {"Default=1\nPath=orphan\n", {}},
        {std::string("\0\xff[[", 4), {}},
    };
    for (const auto& [ini, profiles] : cases)
        EXPECT_EQ(firefoxDefaultProfiles(ini, root), profiles) << ini;
}

TEST(BrowserReaders, ChromiumLastUsedProfile) {
    const struct {
        std::string localState;
        std::string profile;
    } cases[] = {
        {R"({"profile":{"last_used":"Profile 2","last_active_profiles":["Profile 3"]}})",
         "Profile 2"},
        {R"({"profile":{"last_active_profiles":["Profile 3"]}})", "Profile 3"},
        {R"({"profile":{"last_used":"../../.ssh"}})", "Default"},
        {R"({"profile":{"last_used":7}})", "Default"},
        {R"({"profile":)", "Default"},
        {"", "Default"},
    };
    for (const auto& [localState, profile] : cases)
        EXPECT_EQ(chromiumLastUsedProfile(localState), profile) << localState;
}

TEST(BrowserReaders, NewestSessionFileByItsTime) {
    TempFolder folder;
    for (const char* name :
         {"Session_900", "Session_13441191741286558", "Session_x", "Tabs_99999999999999999"})
        writeFile(folder / "Default" / "Sessions" / name, "SNSS");
    EXPECT_EQ(chromiumNewestSession(folder / "Default"),
              folder / "Default" / "Sessions" / "Session_13441191741286558");
    EXPECT_EQ(chromiumNewestSession(folder / "Profile 1"), fs::path());
}

TEST(BrowserReaders, RunningOnlyWhenTheLockNamesALiveProcess) {
    TempFolder folder;
    const std::string self = std::to_string(getpid());
    const std::string dead = std::to_string(deadPid());
    const struct {
        std::string target;
        bool firefox;
        bool chromium;
    } cases[] = {
        {"127.0.0.1:+" + self, true, false}, {"192.168.1.4:+" + dead, false, false},
        {"127.0.0.1:+abc", false, false},    {thisHost() + "-" + self, false, true},
        {"elsewhere-" + self, false, false}, {thisHost() + "-" + dead, false, false},
        {thisHost() + "-0", false, false},
    };
    for (const auto& [target, firefox, chromium] : cases) {
        fs::remove(folder / "lock");
        fs::remove(folder / "SingletonLock");
        fs::create_symlink(target, folder / "lock");
        fs::create_symlink(target, folder / "SingletonLock");
        EXPECT_EQ(firefoxRunning(folder.path()), firefox) << target;
        EXPECT_EQ(chromiumProcess(folder.path(), thisHost()).has_value(), chromium) << target;
    }
    EXPECT_FALSE(firefoxRunning(folder / "missing"));
}

// A loopback server that answers one request with a canned text, or holds
// the connection without answering.
class CannedHttpServer {
public:
    explicit CannedHttpServer(std::string answer, bool answers = true)
        : answer_(std::move(answer)), answers_(answers) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~CannedHttpServer() {
        stop();
        close(listener_);
    }
    std::uint16_t port() const { return port_; }
    // What the client sent, once the exchange is over.
    const std::string& request() {
        stop();
        return request_;
    }

private:
    // A server never called ends its wait for a connection here.
    void stop() {
        shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
    }
    void serve() {
        const int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        char buffer[4096];
        while (request_.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
            if (count <= 0) break;
            request_.append(buffer, std::size_t(count));
        }
        if (answers_) {
            send(connection, answer_.data(), answer_.size(), MSG_NOSIGNAL);
        } else {
            recv(connection, buffer, sizeof buffer, 0);  // until the client gives up
        }
        close(connection);
    }

    std::string answer_;
    bool answers_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::string request_;
};

std::string httpAnswer(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// A folder laid out as a user's, with a Firefox and a Chromium that run (the
// locks name this test's own process): Firefox with its real session file,
// Chromium in its last used profile with a session showing another page.
class BrowserHome : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path firefox = folder / ".config" / "mozilla" / "firefox";
        writeFile(firefox / "profiles.ini",
                  "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\nDefault=1\n");
        writeFile(firefox / "p.default" / "sessionstore-backups" / "recovery.jsonlz4",
                  fileText(kData / "recovery.jsonlz4"));
        fs::create_symlink("127.0.0.1:+" + std::to_string(getpid()),
                           firefox / "p.default" / "lock");
        writeFile(chromium / "Local State", R"({"profile":{"last_used":"Profile 1"}})");
        writeFile(chromium / "Profile 1" / "Sessions" / "Session_13441191741286558",
                  SessionWriter()
                      .command(0, {1, 1})
                      .navigation(1, 0, kChromiumPage.url, u"Chromium")
                      .file());
        fs::create_symlink(thisHost() + "-" + std::to_string(getpid()), chromium / "SingletonLock");
    }
    std::optional<std::string> ask(const std::string& service,
                                   WindowTitleOfProcess windowTitle = {}) {
        return BrowserPageQuery({folder.path(), folder / ".config"}, std::move(windowTitle))
            .request(service);
    }

    const BrowserPage kChromiumPage{"http://chromium.example/", "Chromium"};
    TempFolder folder;
    fs::path chromium = folder / ".config" / "chromium";
};

TEST_F(BrowserHome, EachServiceAnswersFromItsBrowser) {
    EXPECT_EQ(ask("Netscape"), browserReply(kShownPage));
    EXPECT_EQ(ask("IExplore"), browserReply(kChromiumPage));
    EXPECT_FALSE(ask("netscape"));
    EXPECT_FALSE(ask("WWW_GetWindowInfo"));
}

// The session names the page before the browser knows its title; the
// window of the browser's own process shows it.
TEST_F(BrowserHome, AMissingTitleComesFromTheBrowsersWindow) {
    writeFile(
        chromium / "Profile 1" / "Sessions" / "Session_13441191741286559",
        SessionWriter().command(0, {1, 1}).navigation(1, 0, "http://new.example/", u"").file());
    const struct {
        std::string windowTitle;
        std::string pageTitle;
    } cases[] = {
        {"A - B - Chromium", "A - B"},
        {"Chromium", ""},
        {"Page - Google Chrome", ""},
    };
    for (const auto& [windowTitle, pageTitle] : cases) {
        const auto titleOf = [&](pid_t process) {
            return process == getpid() ? windowTitle : std::string("Other - Chromium");
        };
        EXPECT_EQ(ask("IExplore", titleOf), browserReply({"http://new.example/", pageTitle}));
    }
    EXPECT_EQ(ask("IExplore"), browserReply({"http://new.example/", ""}));
}

TEST_F(BrowserHome, ProfilesUnderHomeServeWhenTheConfigFolderHasNone) {
    fs::rename(folder / ".config" / "mozilla", folder / ".mozilla");
    EXPECT_EQ(ask("Netscape"), browserReply(kShownPage));
}

TEST_F(BrowserHome, StoppedBrowsersDoNotAnswer) {
    fs::remove(folder / ".config" / "mozilla" / "firefox" / "p.default" / "lock");
    fs::remove(chromium / "SingletonLock");
    EXPECT_FALSE(ask("Netscape"));
    EXPECT_FALSE(ask("IExplore"));
}

TEST_F(BrowserHome, AnOpenDevToolsPortAnswersBeforeTheSessionFile) {
    CannedHttpServer server(httpAnswer(
        "200 OK", R"([{"type":"service_worker","url":"sw"},)"
                  R"({"type":"page","url":"http://live.example/","title":"Live \"one\""},)"
                  R"({"type":"page","url":"http://second.example/"}])"));
    writeFile(chromium / "DevToolsActivePort",
              std::to_string(server.port()) + "\n/devtools/browser/1234\n");
    EXPECT_EQ(ask("IExplore"), browserReply({"http://live.example/", "Live \"one\""}));
    EXPECT_TRUE(server.request().starts_with("GET /json/list HTTP/1.1\r\n"));
}

TEST_F(BrowserHome, ADevToolsPortThatFailsLeavesTheSessionFile) {
    const std::string answers[] = {
        httpAnswer("404 Not Found", "[]"),
        httpAnswer("200 OK", R"([{"type":"iframe","url":"x"}])"),
        httpAnswer("200 OK", "not json"),
        "HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\n[",
    };
    for (const auto& answer : answers) {
        CannedHttpServer server(answer);
        writeFile(chromium / "DevToolsActivePort", std::to_string(server.port()) + "\n");
        EXPECT_EQ(ask("IExplore"), browserReply(kChromiumPage)) << answer;
        EXPECT_TRUE(server.request().starts_with("GET /json/list HTTP/1.1\r\n")) << answer;
    }
    {
        CannedHttpServer silent("", false);
        writeFile(chromium / "DevToolsActivePort", std::to_string(silent.port()) + "\n");
        EXPECT_EQ(ask("IExplore"), browserReply(kChromiumPage));
        EXPECT_TRUE(silent.request().starts_with("GET /json/list HTTP/1.1\r\n"));
    }
    for (const char* file : {"1\n", "70000\n", "x\n", "9222junk\n", ""}) {
        writeFile(chromium / "DevToolsActivePort", file);
        EXPECT_EQ(ask("IExplore"), browserReply(kChromiumPage)) << file;
    }
}

TEST(LoopbackHttp, ReadsABodyWithoutLengthAndRefusesOneTooLarge) {
    {
        CannedHttpServer server("HTTP/1.0 200 OK\r\n\r\n[1,2]");
        EXPECT_EQ(loopbackHttpGet(server.port(), "/json/list", std::chrono::seconds(1)), "[1,2]");
    }
    CannedHttpServer server(httpAnswer("200 OK", std::string(5000, 'x')));
    EXPECT_FALSE(loopbackHttpGet(server.port(), "/", std::chrono::seconds(1), 4096));
}

}  // namespace
}  // namespace zn
