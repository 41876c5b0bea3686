// Save all and load all of a 10,000-entry list through the entry store on
// the SQLite registry, beside plain SQLite doing the least the same work
// needs: the same enciphered bytes into one table in one transaction, and back.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "bench/bench_support.h"
#include "bench/plain_table.h"
#include "vault/entry_cipher.h"
#include "vault/entry_store.h"
#include "vault/record.h"

namespace {

using zn::bench::benchKey;
using zn::bench::kEntryCount;
using zn::bench::openBenchStore;
using zn::bench::PlainTable;
using zn::bench::sampleEntries;
using zn::bench::TempFolder;

void BM_SaveAllEntries(benchmark::State& state) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    const auto entries = sampleEntries();
    for (auto _ : state) zn::saveAllEntries(*registry, benchKey(), entries, {});
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// The same, but every value differs from the one stored before it: the save
// that follows a row added at the top of the list, or a new master password.
// The list is saved once before timing, so that no round writes into an empty key.
void saveAllChanged(benchmark::State& state, const std::vector<zn::BookmarkEntry>& entries) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    auto shifted = entries;
    shifted.insert(shifted.begin(), {"https://first.example/", "", "", ""});
    shifted.pop_back();
    zn::saveAllEntries(*registry, benchKey(), entries, {});
    bool flip = false;
    for (auto _ : state)
        zn::saveAllEntries(*registry, benchKey(), (flip = !flip) ? shifted : entries, {});
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// Every record as long as its neighbours: a change of key, and the sample
// list shifted by a row, keep each value's length.
void BM_SaveAllEntriesAllChanged(benchmark::State& state) {
    saveAllChanged(state, sampleEntries());
}

// Neighbours of different lengths, as in a real list shifted by a row: every
// value changes its length too.
void BM_SaveAllEntriesAllChangedLengths(benchmark::State& state) {
    auto entries = sampleEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].description.append(i % 4, '+');
    saveAllChanged(state, entries);
}

void BM_LoadAllEntries(benchmark::State& state) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    zn::saveAllEntries(*registry, benchKey(), sampleEntries(), {});
    for (auto _ : state) {
        const auto loaded = zn::loadAllEntries(*registry, benchKey());
        if (loaded.entries.size() != kEntryCount) state.SkipWithError("lost entries");
        benchmark::DoNotOptimize(loaded);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

std::vector<std::string> sampleBlobs() {
    std::vector<std::string> blobs;
    for (const auto& entry : sampleEntries())
        blobs.push_back(zn::encodeStringData(zn::Encipher(zn::JoinRecord(entry), benchKey())));
    return blobs;
}

void BM_PlainSqliteInsert(benchmark::State& state) {
    TempFolder folder;
    PlainTable table(folder / "plain.db");
    const auto blobs = sampleBlobs();
    for (auto _ : state) table.replaceAll(blobs);
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

void BM_PlainSqliteSelect(benchmark::State& state) {
    TempFolder folder;
    PlainTable table(folder / "plain.db");
    table.replaceAll(sampleBlobs());
    for (auto _ : state) {
        const auto blobs = table.readAll();
        if (blobs.size() != kEntryCount) state.SkipWithError("lost rows");
        benchmark::DoNotOptimize(blobs);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// What load costs before the store is involved: deciphering and splitting.
void BM_DecipherAndSplitOnly(benchmark::State& state) {
    const auto blobs = sampleBlobs();
    for (auto _ : state) {
        std::size_t entries = 0;
        for (const auto& blob : blobs)
            entries +=
                zn::SplitRecord(zn::Decipher(zn::decodeStringData(blob), benchKey())).has_value();
        benchmark::DoNotOptimize(entries);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

}  // namespace

BENCHMARK(BM_SaveAllEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllEntriesAllChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllEntriesAllChangedLengths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteInsert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteSelect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecipherAndSplitOnly)->Unit(benchmark::kMillisecond);
