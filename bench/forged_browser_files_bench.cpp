// The page query on the worst files a hostile program could leave where the
// browsers keep theirs, each as large as its reader takes. Every one must be
// answered within 100 ms and 64 MB: peak_rss_mb is the growth of a child
// process's peak resident set over its parent's while it makes one query.
#include <benchmark/benchmark.h>
#include <limits.h>
#include <lz4.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "platform/linux/browser_page_query.h"
#include "platform/linux/chromium_session.h"
#include "platform/linux/firefox_session.h"

namespace {

namespace fs = std::filesystem;
using zn::bench::TempFolder;

void writeFile(const fs::path& file, const std::string& content) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

std::string hostName() {
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    return host;
}

// Session commands; each field is a 32-bit little-endian integer.
class SessionFile {
public:
    void command(std::uint8_t id, std::initializer_list<std::int32_t> fields) {
        std::string payload;
        for (const auto field : fields) appendInt(payload, field);
        raw(id, payload);
    }
    void navigation(std::int32_t tab, std::int32_t index) {
        std::string pickle;
        for (const std::int32_t field : {tab, index, 1}) appendInt(pickle, field);
        pickle += std::string("u\0\0\0", 4);
        appendInt(pickle, 0);
        std::string payload;
        appendInt(payload, std::int32_t(pickle.size()));
        raw(6, payload + pickle);
    }
    bool full(std::size_t room = 64) const {
        return text_.size() + room > zn::kMaxChromiumSessionFile;
    }
    const std::string& text() const { return text_; }

private:
    void raw(std::uint8_t id, const std::string& payload) {
        const std::size_t size = payload.size() + 1;
        text_ += {char(size & 0xFF), char(size >> 8), char(id)};
        text_ += payload;
    }
    static void appendInt(std::string& out, std::int32_t value) {
        for (int byte = 0; byte < 4; ++byte) out += char(std::uint32_t(value) >> (8 * byte));
    }

    std::string text_{"SNSS\3\0\0\0", 8};
};

// The command pattern that froze the old reader: windows of many tabs, each
// closed in turn.
std::string chromiumClosedWindows() {
    SessionFile file;
    for (std::int32_t window = 1; !file.full(); ++window) {
        for (std::int32_t tab = 0; tab < 1000 && !file.full(); ++tab)
            file.command(0, {window, tab});
        file.command(17, {window});
    }
    return file.text();
}

// As many history entries as the reader keeps, then the rest of the file
// spent rewriting them and moving them with prunes.
std::string chromiumHistories() {
    SessionFile file;
    constexpr std::int32_t kTabs = 32000;
    for (std::int32_t tab = 0; tab < kTabs; ++tab) file.command(0, {1, tab});
    for (std::int32_t index = 0; index < 130000; ++index) file.navigation(index % kTabs, index);
    for (std::int32_t step = 0; step < 15; ++step) file.command(24, {0, 0, 1});
    for (std::int32_t index = 0; !file.full(); index = (index + 7919) % 130000)
        file.navigation(index % kTabs, index);
    file.command(8, {1, kTabs / 2});
    return file.text();
}

std::string mozLz4(const std::string& text) {
    std::string block(std::size_t(LZ4_compressBound(int(text.size()))), '\0');
    block.resize(std::size_t(
        LZ4_compress_default(text.data(), block.data(), int(text.size()), int(block.size()))));
    std::string file("mozLz40\0", 8);
    for (int byte = 0; byte < 4; ++byte) file += char(text.size() >> (8 * byte));
    return file + block;
}

// JSON of exactly `size` bytes: the start, the filler repeated, the end.
std::string jsonOfSize(std::size_t size, const std::string& start, const std::string& filler,
                       const std::string& end) {
    std::string text = start;
    while (text.size() + filler.size() + end.size() <= size) text += filler;
    text.resize(size - end.size(), ' ');
    return text + end;
}

// Nested brackets: refused at the depth limit.
std::string deepBrackets(std::size_t size) {
    return std::string(size / 2, '[') + std::string(size / 2, ']');
}

// Each level of the session holds the whole text, and the page is the last
// of a list of empty entries, so every level is walked to its end.
std::string firefoxEveryLevelWhole(std::size_t size) {
    return jsonOfSize(size, R"({"windows":[{"tabs":[{"entries":[)", "{},", R"({"url":"u"}]}]}]})");
}

// Many small values, nested as deeply as is allowed.
std::string deepButAllowed(std::size_t size) {
    const std::string nest = std::string(500, '[') + "0" + std::string(500, ']') + ",";
    return jsonOfSize(size, "[", nest, "0]");
}

struct Home {
    TempFolder folder;
    fs::path firefoxProfile = folder / ".mozilla/firefox/p";
    fs::path chromium = folder / ".config/chromium";

    Home() {
        writeFile(folder / ".mozilla/firefox/profiles.ini", "[Install1]\nDefault=p\n");
        fs::create_directories(firefoxProfile);
        fs::create_symlink("127.0.0.1:+" + std::to_string(getpid()), firefoxProfile / "lock");
        fs::create_directories(chromium);
        fs::create_symlink(hostName() + "-" + std::to_string(getpid()), chromium / "SingletonLock");
    }
    void firefoxSession(const std::string& json) {
        writeFile(firefoxProfile / "sessionstore-backups/recovery.jsonlz4", mozLz4(json));
    }
    void chromiumSession(const std::string& file) {
        writeFile(chromium / "Default/Sessions/Session_1", file);
    }
};

// A line of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(name + ":")) return std::stol(line.substr(name.size() + 1));
    }
    return 0;
}

// The peak memory one query adds, measured in a child of its own that first
// hands back the memory its parent freed and sets its peak back to what it
// holds.
double peakGrowthMb(const std::function<bool()>& query) {
    int channel[2];
    if (pipe(channel) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const long start = statusKb("VmRSS");
        query();
        const long growth = statusKb("VmHWM") - start;
        (void)!write(channel[1], &growth, sizeof growth);
        _exit(0);
    }
    close(channel[1]);
    long growth = -1024;
    (void)!read(channel[0], &growth, sizeof growth);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return double(growth) / 1024.0;
}

// Times the query after checking it gives what it should.
void measure(benchmark::State& state, const std::function<bool()>& query, bool answers) {
    if (query() != answers) {
        state.SkipWithError(answers ? "no answer" : "an answer where none is due");
        return;
    }
    for (auto _ : state) query();
    state.counters["peak_rss_mb"] = peakGrowthMb(query);
}

bool queryOnce(Home& home, const char* service) {
    zn::BrowserPageQuery query({home.folder.path(), home.folder / ".config"});
    return query.request(service).has_value();
}

template <typename Forge>
struct Forged {
    Forge forge;
    bool answers;
};

void BM_ForgedChromiumSession(benchmark::State& state, Forged<std::string (*)()> file) {
    Home home;
    home.chromiumSession(file.forge());
    measure(
        state, [&] { return queryOnce(home, "IExplore"); }, file.answers);
}

void BM_ForgedFirefoxSession(benchmark::State& state, Forged<std::string (*)(std::size_t)> file) {
    Home home;
    home.firefoxSession(file.forge(zn::kMaxSessionText));
    measure(
        state, [&] { return queryOnce(home, "Netscape"); }, file.answers);
}

// The session answers whatever Local State holds.
void BM_ForgedLocalState(benchmark::State& state, std::string (*forge)(std::size_t)) {
    Home home;
    SessionFile session;
    session.command(0, {1, 1});
    session.navigation(1, 0);
    home.chromiumSession(session.text());
    writeFile(home.chromium / "Local State", forge(zn::kMaxLocalStateFile));
    measure(
        state, [&] { return queryOnce(home, "IExplore"); }, true);
}

// The endpoint's answer goes to the reader as it came; no socket is timed.
void BM_ForgedDevToolsList(benchmark::State& state) {
    const std::string list =
        jsonOfSize(zn::kMaxDevToolsList, "[", R"({"type":"x"},)", R"({"type":"page","url":"u"}])");
    measure(
        state, [&] { return zn::devToolsFirstPage(list).has_value(); }, true);
}

std::string localStateProfileLast(std::size_t size) {
    return jsonOfSize(size, R"({"other":[)", "{},", R"({}],"profile":{"last_used":"Default"}})");
}

}  // namespace

using SessionForge = Forged<std::string (*)()>;
using JsonForge = Forged<std::string (*)(std::size_t)>;
BENCHMARK_CAPTURE(BM_ForgedChromiumSession, closed_windows,
                  SessionForge{chromiumClosedWindows, false})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedChromiumSession, histories, SessionForge{chromiumHistories, true})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedFirefoxSession, deep_brackets, JsonForge{deepBrackets, false})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedFirefoxSession, every_level_whole,
                  JsonForge{firefoxEveryLevelWhole, true})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedFirefoxSession, deep_but_allowed, JsonForge{deepButAllowed, false})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedLocalState, deep_brackets, deepBrackets)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ForgedLocalState, profile_last, localStateProfileLast)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForgedDevToolsList)->Unit(benchmark::kMillisecond);
