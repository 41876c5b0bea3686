// The import's two long waits beside the shell tools that do the least of
// the same work: the file collector over 50,000 files in 2,000 folders beside
// `find DIR -iname '*.url'`, and loading a bookmark file of 100,000 lines
// beside `grep -c`. Goals: at most 1.5 times find, at most twice grep.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "import/file_collector.h"
#include "import/import_dialog.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/locale_collation.h"
#include "tests/fakes/fake_ports.h"
#include "tests/fakes/fake_registry.h"

extern char** environ;

namespace {

using zn::bench::TempFolder;

constexpr int kFolders = 2'000;
constexpr int kFilesPerFolder = 25;  // 50,000 files; one in five is no shortcut
constexpr int kBookmarkLines = 100'000;

class IdlePump : public zn::MessagePump {
public:
    void processWaitingMessages() override {}
    void holdUserInput(bool) override {}
};

// 40 folders of 49 subfolders each, plus the 40 themselves: 2,000 folders.
const TempFolder& shortcutTree() {
    static const TempFolder tree;
    static const bool made = [] {
        int folder = 0;
        for (int top = 0; top < 40; ++top) {
            const auto topPath = tree / ("Folder " + std::to_string(top));
            for (int sub = 0; sub < 50 && folder < kFolders; ++sub, ++folder) {
                const auto path = sub == 0 ? topPath : topPath / ("Sub " + std::to_string(sub));
                std::filesystem::create_directories(path);
                for (int file = 0; file < kFilesPerFolder; ++file) {
                    const std::string name = "Site " + std::to_string(file * 7919 % 1000) +
                                             (file % 5 == 4 ? ".txt" : ".url");
                    std::ofstream(path / name) << "[InternetShortcut]\r\nURL=http://x/\r\n";
                }
            }
        }
        return true;
    }();
    (void)made;
    return tree;
}

const std::filesystem::path& bookmarkFile() {
    static const TempFolder folder;
    static const std::filesystem::path path = [] {
        const auto file = folder / "Bookmark.htm";
        std::ofstream out(file, std::ios::binary);
        out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
        for (int line = 3; line < kBookmarkLines - 1; ++line) {
            if (line % 20 == 0)
                out << "    <DT><H3 ADD_DATE=\"1700000000\">Folder " << line << "</H3>\n";
            else if (line % 7 == 0)
                out << "    <DD>A description of the bookmark above\n";
            else
                out << "        <DT><A HREF=\"https://www.site" << (line * 7919 % 100000)
                    << ".example/path/page.html\" ADD_DATE=\"1700000000\" "
                       "LAST_MODIFIED=\"1700000000\">Site "
                    << line << "</A>\n";
        }
        out << "</DL><p>\n";
        return file;
    }();
    return path;
}

// Runs a tool with its output thrown away; nothing when it failed to run,
// else the processor time it took (user and system, in milliseconds), which
// a busy machine changes less than the wall-clock time.
std::optional<double> runQuietly(std::vector<std::string> arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (failed != 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return std::nullopt;
    const auto ms = [](const timeval& time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Times a tool run by run; the CPU counter is the tool's own processor time.
void timeTool(benchmark::State& state, const std::vector<std::string>& arguments) {
    double cpuMs = 0;
    for (auto _ : state) {
        const auto taken = runQuietly(arguments);
        if (!taken) {
            state.SkipWithError("the tool failed to run");
            return;
        }
        cpuMs += *taken;
    }
    state.counters["tool_cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
}

void BM_CollectShortcuts(benchmark::State& state) {
    const auto& tree = shortcutTree();
    const zn::LinuxFileSystem files;
    const zn::LocaleCollation collation;
    IdlePump pump;
    std::size_t found = 0;
    for (auto _ : state) {
        zn::TOrvFileCollector collector(files, collation, pump);
        collector.InitialDirectory = tree.path().string();
        collector.FileMask = zn::kShortcutMask;
        collector.Collect();
        found = collector.LocatedObjects.size();
    }
    state.counters["files"] = static_cast<double>(found);
}

void BM_FindShortcuts(benchmark::State& state) {
    timeTool(state, {"find", shortcutTree().path().string(), "-iname", "*.url"});
}

void BM_LoadBookmarkFile(benchmark::State& state) {
    zn::testing::FakeRegistry registry;
    zn::testing::FakeMessageBoxes messages;
    const zn::LocaleCollation collation;
    zn::LinuxFileSystem files;
    IdlePump pump;
    struct NoDialogs : zn::ImportDialogs {
        bool runImportDialog(zn::TwImport&) override { return false; }
    } dialogs;
    struct NoPicker : zn::FolderPicker {
        std::optional<std::string> pickFolder(const zn::FolderPickerRequest&) override {
            return std::nullopt;
        }
    } picker;
    zn::ImportPorts ports{files, pump, picker, dialogs, ""};
    zn::TwImport dialog({registry, messages, collation, ports});
    dialog.ListBox2 = {bookmarkFile().string()};
    dialog.ListBox2Selected = 0;
    for (auto _ : state) dialog.BitBtn7Click();
    state.counters["addresses"] = static_cast<double>(dialog.CheckListBox1.size());
}

void BM_GrepCountBookmarkFile(benchmark::State& state) {
    timeTool(state, {"grep", "-c", "<DT><A HREF=\"", bookmarkFile().string()});
}

}  // namespace

BENCHMARK(BM_CollectShortcuts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindShortcuts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadBookmarkFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrepCountBookmarkFile)->Unit(benchmark::kMillisecond)->UseRealTime();
