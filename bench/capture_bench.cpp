// The capture action as a user waits on it after Ctrl+Alt+B: both browsers
// answer, the chooser takes both pages, each new one is added and the list
// saved to the real store. Confirmations are off; the boxes that remain answer
// at once. The goal is under 50 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench/bench_support.h"
#include "capture/page_capture.h"
#include "platform/linux/browser_page_query.h"
#include "platform/linux/locale_collation.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_capture.h"
#include "tests/fakes/fake_ports.h"
#include "vault/entry_cipher.h"
#include "vault/entry_store.h"

namespace {

namespace fs = std::filesystem;
using namespace zn::testing;

constexpr const char* kBenchPassword = "benchmark password";

// A vault of `count` entries, unlocked, with the capture wired to it.
class CaptureBench {
public:
    CaptureBench(int count, zn::PageQuery& pages)
        : registry_(zn::bench::openBenchStore(storeFolder_)),
          form_({*registry_,
                 messages,
                 timers_,
                 collation_,
                 hotkeys_,
                 keyboard_,
                 tray_,
                 dialogs_,
                 clipboard_,
                 shell_,
                 "/opt/znvault/znvault",
                 {}},
                view_),
          capture_(form_, view_, {pages, windows_, shell_, beep, messages, chooser, pump_}) {
        const std::string verifier = zn::MakeVerifier(kBenchPassword);
        auto vaultKey = registry_->openKey(zn::RegRoot::CurrentUser, zn::kVaultKeyPath, true);
        vaultKey->writeString(zn::kPasswordValue, verifier);
        zn::writeFlag(*vaultKey, zn::kMessagesValue, false);
        zn::saveAllEntries(*registry_, verifier, zn::bench::sampleEntries(count), {});
        view_.attach(form_);
        form_.FormCreate();
        while (timers_.fireNext()) {
        }
        view_.passwordField = kBenchPassword;
        form_.UnlockClick();
        windows_.windows = {{"Editor", {}}, {"Terminal", {}}, {"Zintrel", {}}};
    }

    // One capture with both boxes ticked; the list is put back afterwards
    // outside the timing. False when the capture added another number of rows.
    bool captureBoth(benchmark::State& state, std::size_t expectedNewRows) {
        const std::size_t before = form_.list().size();
        chooser.scripts.push_back({{true, true, false}});
        capture_.captureCurrentPage();
        state.PauseTiming();
        const bool added = form_.list().size() == before + expectedNewRows;
        for (const char* site : kSites)
            if (const auto row = form_.list().findBySite(site)) form_.list().remove(*row);
        state.ResumeTiming();
        return added;
    }

    static constexpr const char* kSites[] = {"http://127.0.0.1:18765/index.html",
                                             "https://news.example/today",
                                             "https://shop.example/cart?id=7"};
    FakeMessageBoxes messages;
    CountingBeep beep;
    FakeChooser chooser;

private:
    TempFolder storeFolder_;
    std::unique_ptr<zn::SqliteRegistry> registry_;
    ManualTimers timers_;
    const zn::LocaleCollation collation_;
    RecordingHotkeys hotkeys_;
    FakeKeyboardLayout keyboard_;
    FakeTrayIcon tray_;
    FakeDialogs dialogs_;
    FakeClipboard clipboard_;
    RecordingShell shell_;
    FakeMainWindowView view_;
    FakeWindowList windows_;
    CountingPump pump_;
    zn::TForm1 form_;
    zn::PageCapture capture_;
};

void copyFile(const fs::path& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

void writeFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A home where Firefox and Chromium run (their locks name this process) with
// the session files the real browsers wrote; both show the same page.
void layOutRunningBrowsers(const fs::path& home) {
    const fs::path data = ZN_BROWSER_DATA_DIR;
    const fs::path firefox = home / ".config" / "mozilla" / "firefox";
    writeFile(firefox / "profiles.ini",
              "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\nDefault=1\n");
    copyFile(data / "recovery.jsonlz4",
             firefox / "p.default" / "sessionstore-backups" / "recovery.jsonlz4");
    fs::create_symlink("127.0.0.1:+" + std::to_string(getpid()), firefox / "p.default" / "lock");

    const fs::path chromium = home / ".config" / "chromium";
    writeFile(chromium / "Local State", R"({"profile":{"last_used":"Default"}})");
    for (const auto& file : fs::directory_iterator(data))
        if (file.path().filename().string().starts_with("Session_"))
            copyFile(file.path(), chromium / "Default" / "Sessions" / file.path().filename());
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    fs::create_symlink(std::string(host) + "-" + std::to_string(getpid()),
                       chromium / "SingletonLock");
}

// The real readers on the real browsers' files: the same page from both, so
// one row is added and saved and the other is reported as listed.
void BM_CaptureFromBrowserFiles(benchmark::State& state) {
    TempFolder home;
    layOutRunningBrowsers(home.path());
    zn::BrowserPageQuery pages({home.path(), home / ".config"});
    CaptureBench bench(static_cast<int>(state.range(0)), pages);
    for (auto _ : state)
        if (!bench.captureBoth(state, 1)) state.SkipWithError("the page was not added");
    state.counters["beeps_per_capture"] =
        benchmark::Counter(bench.beep.count, benchmark::Counter::kAvgIterations);
}

// Two different pages: two rows added, two saves.
void BM_CaptureTwoNewPages(benchmark::State& state) {
    FakePageQuery pages;
    pages.answer("Netscape", R"("https://news.example/today","Today's News","")");
    pages.answer("IExplore", R"("https://shop.example/cart?id=7","Your Cart")");
    CaptureBench bench(static_cast<int>(state.range(0)), pages);
    for (auto _ : state)
        if (!bench.captureBoth(state, 2)) state.SkipWithError("the pages were not added");
}

}  // namespace

BENCHMARK(BM_CaptureFromBrowserFiles)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureTwoNewPages)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);
