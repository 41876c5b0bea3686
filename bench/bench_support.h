// What every benchmark starts from: a list of typical entries and a fresh
// store in a private temporary folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/sqlite_registry.h"
#include "tests/fakes/temp_folder.h"
#include "vault/record.h"

namespace zn::bench {

using testing::TempFolder;

inline constexpr int kEntryCount = 10'000;

// Typical sizes: site ~30 bytes, description ~20, user ~10, password ~12.
std::vector<BookmarkEntry> sampleEntries(int count = kEntryCount);
// The verifier the entries are enciphered under.
const std::string& benchKey();
// A new store in the folder, seeded and mirrored only inside it.
std::unique_ptr<SqliteRegistry> openBenchStore(const TempFolder& folder);

}  // namespace zn::bench
