// The list operations users wait on with a large list: adding one row to
// 10,000 and saving them all (the goal is under 15 ms), and the list view
// showing 10,000 rows through its model, with no widget made per row.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <filesystem>
#include <stdexcept>

#include "app/bookmark_list.h"
#include "app/qt/bookmark_table_model.h"
#include "bench/bench_support.h"
#include "platform/linux/locale_collation.h"
#include "vault/entry_cipher.h"
#include "vault/entry_store.h"

namespace {

using zn::bench::TempFolder;

// Add one bookmark to a list of 10,000 and save the whole list, as Add does.
void BM_AddOneRowAndSaveAll(benchmark::State& state) {
    TempFolder folder;
    const auto registry = zn::bench::openBenchStore(folder);
    const std::string& key = zn::bench::benchKey();
    const zn::LocaleCollation collation;
    zn::BookmarkList list(collation);
    list.assign(zn::bench::sampleEntries());
    zn::saveAllEntries(*registry, key, list.entries(), {});

    for (auto _ : state) {
        const std::size_t row = list.add({"https://www.new.example/", "New", "me", "secret"});
        zn::saveAllEntries(*registry, key, list.entries(), {});
        state.PauseTiming();
        list.remove(row);
        // Back to the 10,000 stored, so that every timed save writes what the row moved.
        zn::saveAllEntries(*registry, key, list.entries(), {});
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

// Replace the view's 10,000 rows and paint them, as the first unlock does.
void BM_ListViewShowsTenThousandRows(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char program[] = "znbench";
    char* argv[] = {program, nullptr};
    QApplication application(argc, argv);

    const zn::LocaleCollation collation;
    zn::BookmarkList list(collation);
    QTableView view;
    zn::BookmarkTableModel model(list);
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(634, 209);
    view.show();
    const auto entries = zn::bench::sampleEntries();
    const auto widgetsBefore = view.findChildren<QWidget*>().size();

    for (auto _ : state) {
        list.assign(entries);
        view.viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
    list.assign(entries);
    state.counters["rows"] = model.rowCount();
    // Stays 0: the rows are drawn from the model, not made into widgets.
    state.counters["widgets_added"] =
        static_cast<double>(view.findChildren<QWidget*>().size() - widgetsBefore);
}

}  // namespace

BENCHMARK(BM_AddOneRowAndSaveAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewShowsTenThousandRows)->Unit(benchmark::kMillisecond);
