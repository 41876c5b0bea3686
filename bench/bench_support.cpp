#include "bench/bench_support.h"

#include "vault/entry_cipher.h"

namespace zn::bench {

std::vector<BookmarkEntry> sampleEntries(int count) {
    std::vector<BookmarkEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(100000 + i);
        entries.push_back({"https://www.site" + n + ".example/", "Description of " + n, "user" + n,
                           "pw" + n + "!x2"});
    }
    return entries;
}

const std::string& benchKey() {
    static const std::string key = MakeVerifier("benchmark password");
    return key;
}

std::unique_ptr<SqliteRegistry> openBenchStore(const TempFolder& folder) {
    return SqliteRegistry::open((folder / "registry.db").string(),
                                {.busyTimeoutMs = 5000,
                                 .autostartFolder = folder / "autostart",
                                 .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
}

}  // namespace zn::bench
