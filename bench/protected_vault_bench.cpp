// The protected vault's costs: one unlock (the key derivation, on its own),
// and the load and the save of 10,000 sealed entries through the store,
// beside plain SQLite selecting and inserting the very same rows.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"
#include "bench/plain_table.h"
#include "platform/crypto.h"
#include "vault/entry_store.h"
#include "vault/protected_vault.h"
#include "vault/record.h"

namespace {

using zn::bench::kEntryCount;
using zn::bench::openBenchStore;
using zn::bench::PlainTable;
using zn::bench::sampleEntries;
using zn::bench::TempFolder;

constexpr const char* kPassword = "benchmark password";

// One vault for every benchmark but the unlock: its derivation is made once.
const zn::ProtectedVault& benchVault() {
    static const zn::ProtectedVault vault = zn::protectVault(kPassword, zn::kNewVaultIterations);
    return vault;
}

void BM_ProtectedUnlock(benchmark::State& state) {
    const std::string& header = benchVault().headerText;
    for (auto _ : state) {
        auto key = zn::unlockVault(header, kPassword);
        if (!key) state.SkipWithError("the vault did not open");
        benchmark::DoNotOptimize(key);
    }
}

void BM_ProtectedLoadAllEntries(benchmark::State& state) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    zn::saveAllEntries(*registry, *benchVault().key, sampleEntries(), {});
    for (auto _ : state) {
        const auto loaded = zn::loadAllEntries(*registry, *benchVault().key);
        if (loaded.entries.size() != kEntryCount) state.SkipWithError("lost entries");
        benchmark::DoNotOptimize(loaded);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// What the user waits for after typing the password: the derivation, then
// the load of every entry under the key it gives.
void BM_ProtectedUnlockAndLoad(benchmark::State& state) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    zn::saveAllEntries(*registry, *benchVault().key, sampleEntries(), {});
    for (auto _ : state) {
        const auto key = zn::unlockVault(benchVault().headerText, kPassword);
        if (!key) state.SkipWithError("the vault did not open");
        const auto loaded = zn::loadAllEntries(*registry, *key);
        if (loaded.entries.size() != kEntryCount) state.SkipWithError("lost entries");
        benchmark::DoNotOptimize(loaded);
    }
}

// Every save seals every entry afresh, so each one changes every value.
void BM_ProtectedSaveAllEntriesChanged(benchmark::State& state) {
    TempFolder folder;
    const auto registry = openBenchStore(folder);
    const auto entries = sampleEntries();
    auto shifted = entries;
    shifted.insert(shifted.begin(), {"https://first.example/", "", "", ""});
    shifted.pop_back();
    zn::saveAllEntries(*registry, *benchVault().key, entries, {});
    bool flip = false;
    for (auto _ : state)
        zn::saveAllEntries(*registry, *benchVault().key, (flip = !flip) ? shifted : entries, {});
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// The rows a protected save writes, as the store holds them.
std::vector<std::string> protectedBlobs() {
    std::vector<std::string> blobs;
    for (const auto& entry : sampleEntries())
        blobs.push_back(zn::encodeStringData(benchVault().key->seal(zn::JoinRecord(entry))));
    return blobs;
}

void BM_PlainSqliteInsertProtectedRows(benchmark::State& state) {
    TempFolder folder;
    PlainTable table(folder / "plain.db");
    const auto blobs = protectedBlobs();
    for (auto _ : state) table.replaceAll(blobs);
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

void BM_PlainSqliteSelectProtectedRows(benchmark::State& state) {
    TempFolder folder;
    PlainTable table(folder / "plain.db");
    table.replaceAll(protectedBlobs());
    for (auto _ : state) {
        const auto blobs = table.readAll();
        if (blobs.size() != kEntryCount) state.SkipWithError("lost rows");
        benchmark::DoNotOptimize(blobs);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

// The least any load of a vault sealed entry by entry can cost: libcrypto
// opening each record under its own nonce and tag, from bytes already in
// memory, with nothing read from the store, decoded or built into an entry.
void BM_LibcryptoOpenSealedRecords(benchmark::State& state) {
    const std::string key = zn::crypto::randomBytes(32);
    // One byte of associated data, as every stored entry has.
    constexpr std::string_view kOneByte("\x01", 1);
    zn::crypto::Aes256Gcm aead(key);
    struct Sealed {
        std::string nonce;
        std::string bytes;
    };
    std::vector<Sealed> sealed;
    for (const auto& entry : sampleEntries()) {
        Sealed one{zn::crypto::randomBytes(zn::crypto::kGcmNonceLength), {}};
        aead.seal(one.nonce, kOneByte, zn::JoinRecord(entry), one.bytes);
        sealed.push_back(std::move(one));
    }
    std::string plain;
    for (auto _ : state) {
        for (const auto& one : sealed)
            if (!aead.open(one.nonce, kOneByte, one.bytes, plain)) state.SkipWithError("not opened");
        benchmark::DoNotOptimize(plain);
    }
    state.SetItemsProcessed(state.iterations() * kEntryCount);
}

}  // namespace

BENCHMARK(BM_ProtectedUnlock)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProtectedLoadAllEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProtectedUnlockAndLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProtectedSaveAllEntriesChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteInsertProtectedRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteSelectProtectedRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcryptoOpenSealedRecords)->Unit(benchmark::kMillisecond);
