// The page query as the capture makes it, answered from the files the real
// browsers wrote: Firefox's session (mozLz4, JSON), Chromium's session
// commands, and the query when no browser runs (made twice by every capture),
// and the lookup of a sandboxed browser's lock.
#include <benchmark/benchmark.h>
#include <limits.h>
#include <lz4.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench/bench_support.h"
#include "platform/linux/browser_page_query.h"

namespace {

namespace fs = std::filesystem;
using zn::bench::TempFolder;

const fs::path kData = ZN_BROWSER_DATA_DIR;

void copyInto(const fs::path& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

fs::path realSessionFile() {
    for (const auto& entry : fs::directory_iterator(kData)) {
        if (entry.path().filename().string().starts_with("Session_")) return entry.path();
    }
    throw std::runtime_error("no Chromium session file in " + kData.string());
}

// A home where both browsers run: their locks name this process.
void makeBrowserHome(const TempFolder& home) {
    const fs::path firefox = home / ".mozilla" / "firefox";
    fs::create_directories(firefox / "p.default");
    std::ofstream(firefox / "profiles.ini") << "[Install1]\nDefault=p.default\n";
    copyInto(kData / "recovery.jsonlz4",
             firefox / "p.default" / "sessionstore-backups" / "recovery.jsonlz4");
    fs::create_symlink("127.0.0.1:+" + std::to_string(getpid()), firefox / "p.default" / "lock");
    const fs::path chromium = home / ".config" / "chromium";
    copyInto(realSessionFile(), chromium / "Default" / "Sessions" / realSessionFile().filename());
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    fs::create_symlink(std::string(host) + "-" + std::to_string(getpid()),
                       chromium / "SingletonLock");
}

// A heavy user's session: 600 tabs of 20 history entries, each entry with the
// page state a browser keeps: about 6 MB of JSON (it compresses well).
std::string largeFirefoxSession() {
    std::string json =
        R"({"version":["sessionrestore",1],"selectedWindow":1,"windows":[{"selected":600,"tabs":[)";
    const std::string state(300, 'S');
    for (int tab = 0; tab < 600; ++tab) {
        json += tab ? ",{" : "{";
        json += R"("index":20,"entries":[)";
        for (int entry = 0; entry < 20; ++entry) {
            const std::string n = std::to_string(tab * 100 + entry);
            json += entry ? "," : "";
            json += R"({"url":"https://www.site)" + n + R"(.example/path/to/page?q=)" + n +
                    R"(","title":"Page )" + n + R"( of a site","structuredCloneState":")" + state +
                    R"(","scroll":"0,1200","children":[{"url":"about:blank"}]})";
        }
        json += R"(],"formdata":{"id":{"q":"search words"}},"image":"data:image/png;base64,)" +
                state + "\"}";
    }
    json += "]}]}";
    std::string block(std::size_t(LZ4_compressBound(int(json.size()))), '\0');
    block.resize(std::size_t(
        LZ4_compress_default(json.data(), block.data(), int(json.size()), int(block.size()))));
    std::string file("mozLz40\0", 8);
    for (int byte = 0; byte < 4; ++byte) file += char(json.size() >> (8 * byte));
    return file + block;
}

void queryService(benchmark::State& state, const char* service, bool running) {
    TempFolder home;
    if (running) makeBrowserHome(home);
    zn::BrowserPageQuery query({home.path(), home / ".config"});
    if (query.request(service).has_value() != running) {
        state.SkipWithError("unexpected answer");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(query.request(service));
}

void BM_PageQueryFirefoxSessionFile(benchmark::State& state) {
    queryService(state, "Netscape", true);
}
void BM_PageQueryChromiumSessionFile(benchmark::State& state) {
    queryService(state, "IExplore", true);
}
void BM_PageQueryFirefoxLargeSession(benchmark::State& state) {
    TempFolder home;
    makeBrowserHome(home);
    const std::string large = largeFirefoxSession();
    std::ofstream(home / ".mozilla/firefox/p.default/sessionstore-backups/recovery.jsonlz4",
                  std::ios::binary | std::ios::trunc)
        << large;
    zn::BrowserPageQuery query({home.path(), home / ".config"});
    if (!query.request("Netscape")) {
        state.SkipWithError("no answer");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(query.request("Netscape"));
    state.counters["file_bytes"] = double(large.size());
}
void BM_PageQueryNoBrowserRunning(benchmark::State& state) {
    queryService(state, "Netscape", false);
}

// A Firefox in a Flatpak's folder while a sandbox of it runs: its lock is
// looked up among the sandbox's processes. The sandbox listed here is this
// process, in the host's namespace, so the lookup walks the whole process
// table: the dearest case.
void BM_PageQuerySandboxedFirefox(benchmark::State& state) {
    TempFolder home;
    makeBrowserHome(home);
    const fs::path place = home / ".var/app/org.mozilla.firefox/.mozilla";
    fs::create_directories(place);
    fs::rename(home / ".mozilla" / "firefox", place / "firefox");
    const fs::path sandbox = home / "run" / ".flatpak" / "1";
    fs::create_directories(sandbox);
    std::ofstream(sandbox / "info") << "[Application]\nname=org.mozilla.firefox\n";
    std::ofstream(sandbox / "bwrapinfo.json") << "{\"child-pid\": " << getpid() << "}";
    zn::BrowserPageQuery query({home.path(), home / ".config", {"/proc", home / "run"}});
    if (!query.request("Netscape")) {
        state.SkipWithError("no answer");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(query.request("Netscape"));
    state.counters["processes"] = double(std::distance(fs::directory_iterator("/proc"), {}));
}

}  // namespace

BENCHMARK(BM_PageQueryFirefoxSessionFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageQueryChromiumSessionFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageQueryFirefoxLargeSession)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageQueryNoBrowserRunning)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageQuerySandboxedFirefox)->Unit(benchmark::kMicrosecond);
