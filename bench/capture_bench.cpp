// The capture action as a user waits on it after Ctrl+Alt+B: both browsers
// answer, the chooser takes both pages, and each is added and the list saved
// to the real store. Confirmations are off, so no box waits for a click. The
// goal is under 50 ms with a list of 100 entries.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "capture/page_capture.h"
#include "platform/linux/locale_collation.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_capture.h"
#include "tests/fakes/fake_ports.h"
#include "vault/entry_cipher.h"
#include "vault/entry_store.h"

namespace {

using namespace zn::testing;

// The two browsers' pages, as their readers hand them on.
void answerBothBrowsers(FakePageQuery& pages) {
    pages.answer("Netscape", R"("https://news.example/today","Today's News","")");
    pages.answer("IExplore", R"("https://shop.example/cart?id=7","Your Cart")");
}

void BM_CaptureFromBothBrowsers(benchmark::State& state) {
    zn::bench::TempFolder folder;
    const auto registry = zn::bench::openBenchStore(folder);
    const std::string verifier = zn::MakeVerifier("benchmark password");
    auto vaultKey = registry->openKey(zn::RegRoot::CurrentUser, zn::kVaultKeyPath, true);
    vaultKey->writeString(zn::kPasswordValue, verifier);
    zn::writeFlag(*vaultKey, zn::kMessagesValue, false);
    zn::saveAllEntries(*registry, verifier,
                       zn::bench::sampleEntries(static_cast<int>(state.range(0))), {});

    FakeMessageBoxes messages;
    ManualTimers timers;
    const zn::LocaleCollation collation;
    RecordingHotkeys hotkeys;
    FakeKeyboardLayout keyboard;
    FakeTrayIcon tray;
    FakeDialogs dialogs;
    FakeClipboard clipboard;
    RecordingShell shell;
    FakeMainWindowView view;
    zn::TForm1 form({*registry,
                     messages,
                     timers,
                     collation,
                     hotkeys,
                     keyboard,
                     tray,
                     dialogs,
                     clipboard,
                     shell,
                     "/opt/znvault/znvault",
                     {}},
                    view);
    view.attach(form);
    form.FormCreate();
    while (timers.fireNext()) {
    }
    view.passwordField = "benchmark password";
    form.UnlockClick();

    FakePageQuery pages;
    answerBothBrowsers(pages);
    FakeWindowList windows;
    windows.windows = {{"Editor", {}}, {"Terminal", {}}, {"Zintrel", {}}};
    CountingBeep beep;
    FakeChooser chooser;
    CountingMessageLoop messageLoop;
    zn::PageCapture capture(form, view,
                            {pages, windows, shell, beep, messages, chooser, messageLoop});

    const std::size_t listSize = form.list().size();
    for (auto _ : state) {
        chooser.scripts.push_back({{true, true, false}});
        capture.captureCurrentPage();
        state.PauseTiming();
        if (form.list().size() != listSize + 2 || !messages.shown.empty())
            state.SkipWithError("the pages were not added as expected");
        for (const char* site : {"https://news.example/today", "https://shop.example/cart?id=7"})
            form.list().remove(*form.list().findBySite(site));
        state.ResumeTiming();
    }
    state.counters["beeps_per_capture"] =
        benchmark::Counter(beep.count, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BM_CaptureFromBothBrowsers)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);
