#include "platform/linux/sqlite_registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <unordered_map>

#include "platform/linux/autostart_mirror.h"
#include "platform/linux/registry_location.h"

namespace zn {
namespace {

// Marks the file as ours ("ZNRG"), so that a foreign database is never taken for a store.
constexpr std::int32_t kApplicationId = 0x5A4E5247;
constexpr int kSchemaVersion = 1;

// Key ids are random rather than sequential: a handle to a deleted key must
// never come to point at a key created later, even after a rollback.
constexpr const char* kSchema = R"sql(
CREATE TABLE registry_keys (
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES registry_keys (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE (parent, folded)
);
CREATE TABLE registry_values (
    id INTEGER PRIMARY KEY,
    key_id INTEGER NOT NULL REFERENCES registry_keys (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE (key_id, folded)
);
INSERT INTO registry_keys (id, parent, name, folded) VALUES
    (1, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user'),
    (2, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),
    (3, NULL, 'HKEY_CLASSES_ROOT', 'hkey_classes_root');
)sql";

// A new value takes the next row id, which is its place in the enumeration
// order; an overwrite is an UPDATE of the same row, so the value keeps its place.
constexpr const char* kUpsertValue =
    "INSERT INTO registry_values (key_id, name, folded, type, data) VALUES (?, ?, ?, ?, ?) "
    "ON CONFLICT (key_id, folded) DO UPDATE SET type = excluded.type, data = excluded.data";
constexpr const char* kSelectValue =
    "SELECT type, data FROM registry_values WHERE key_id = ? AND folded = ?";
constexpr const char* kDeleteValue = "DELETE FROM registry_values WHERE key_id = ? AND folded = ?";
constexpr const char* kSelectValues =
    "SELECT name, folded, type, data FROM registry_values WHERE key_id = ? ORDER BY id";
constexpr const char* kSelectSubKey =
    "SELECT id, name FROM registry_keys WHERE parent = ? AND folded = ?";
constexpr const char* kSelectSubKeyNames =
    "SELECT name FROM registry_keys WHERE parent = ? ORDER BY folded";
constexpr const char* kInsertKey =
    "INSERT INTO registry_keys (id, parent, name, folded) VALUES (?, ?, ?, ?)";
constexpr const char* kDeleteKey = "DELETE FROM registry_keys WHERE id = ?";

using KeyId = sqlite3_int64;

// Names compare ignoring ASCII letter case, as the Windows registry does for
// the names our programs use.
std::string fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (char c : path) {
        if (c != '\\') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    if (!name.empty()) names.push_back(std::move(name));
    return names;
}

std::vector<std::string> foldAll(const std::vector<std::string>& names) {
    std::vector<std::string> folded;
    for (const auto& name : names) folded.push_back(fold(name));
    return folded;
}

KeyId rootId(RegRoot root) {
    return static_cast<KeyId>(root) + 1;
}

// Whether deleting the key at these names takes the current user's Run key with it.
bool coversRunKey(RegRoot root, const std::vector<std::string>& foldedNames) {
    if (root != RegRoot::CurrentUser) return false;
    const auto runNames = foldAll(splitPath(kRunKeyPath));
    return foldedNames.size() <= runNames.size() &&
           std::equal(foldedNames.begin(), foldedNames.end(), runNames.begin());
}

bool isRunKey(RegRoot root, const std::vector<std::string>& foldedNames) {
    return coversRunKey(root, foldedNames) && foldedNames.size() == splitPath(kRunKeyPath).size();
}

// What SQLite reported; callers turn it into the message the user sees.
// Never escapes the store as it is: every public path turns it into a
// RegistryError. It is still a std::exception, so that a path that forgets
// cannot end the program.
struct SqliteFailure : std::exception {
    SqliteFailure(int failureCode, std::string failureMessage)
        : code(failureCode), message(std::move(failureMessage)) {}
    const char* what() const noexcept override { return message.c_str(); }

    int code;
    std::string message;
};

struct ConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

void execute(sqlite3* db, const char* sql) {
    char* error = nullptr;
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    if (code == SQLITE_OK) return;
    std::string message = error ? error : sqlite3_errstr(code);
    sqlite3_free(error);
    throw SqliteFailure{code, std::move(message)};
}

// One use of a prepared statement. Resetting on scope exit matters: a
// statement left mid-step would hold a read transaction open.
class Query {
public:
    explicit Query(sqlite3_stmt* statement) : statement_(statement) {}
    ~Query() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(KeyId number) {
        check(sqlite3_bind_int64(statement_, ++bound_, number));
        return *this;
    }
    // SQLite copies what is bound: callers bind temporaries such as a folded name.
    Query& bindText(const std::string& text) {
        check(sqlite3_bind_text64(statement_, ++bound_, text.data(), text.size(), SQLITE_TRANSIENT,
                                  SQLITE_UTF8));
        return *this;
    }
    Query& bindBlob(const std::string& bytes) {
        // A zero-length blob must still be a blob, not NULL.
        check(bytes.empty() ? sqlite3_bind_zeroblob(statement_, ++bound_, 0)
                            : sqlite3_bind_blob64(statement_, ++bound_, bytes.data(), bytes.size(),
                                                  SQLITE_TRANSIENT));
        return *this;
    }

    bool next() {
        const int code = sqlite3_step(statement_);
        if (code == SQLITE_ROW) return true;
        if (code == SQLITE_DONE) return false;
        fail(code);
    }
    void run() {
        while (next()) {
        }
    }

    KeyId integer(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string bytes(int column) const {
        const void* data = sqlite3_column_blob(statement_, column);
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
        return data ? std::string(static_cast<const char*>(data), size) : std::string();
    }

private:
    void check(int code) const {
        if (code != SQLITE_OK) fail(code);
    }
    [[noreturn]] void fail(int code) const {
        throw SqliteFailure{code, sqlite3_errmsg(sqlite3_db_handle(statement_))};
    }

    sqlite3_stmt* statement_;
    int bound_ = 0;
};

RegistryError notRegistryDatabase(const std::string& path, const std::string& why) {
    return RegistryError("The store " + path + " is not a registry database: " + why);
}

RegistryError lockedStore(const std::string& path) {
    return RegistryError("The store " + path + " is locked by another program");
}

RegistryError storeFailure(const std::string& path, const std::string& action,
                           const SqliteFailure& failure) {
    const int primary = failure.code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return lockedStore(path);
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        return notRegistryDatabase(path, failure.message);
    return RegistryError("Cannot " + action + " the store " + path + ": " + failure.message);
}

// Looks at the file before SQLite does: something that is not an SQLite
// database must be refused without SQLite ever opening it for writing.
void refuseForeignFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return;
    if (!S_ISREG(status.st_mode)) throw notRegistryDatabase(path, "it is not a regular file");
    if (status.st_size == 0) return;  // left by a creation that did not finish
    static constexpr char kHeader[16] = "SQLite format 3";  // with its zero byte
    char header[sizeof kHeader] = {};
    std::ifstream file(path, std::ios::binary);
    if (!file) throw RegistryError("Cannot open the store " + path + ": " + std::strerror(errno));
    file.read(header, sizeof header);
    // The smallest database is one page of 512 bytes.
    if (status.st_size < 512 || file.gcount() != sizeof header ||
        std::memcmp(header, kHeader, sizeof header) != 0)
        throw notRegistryDatabase(path, "it is not an SQLite database file");
}

// Creates the file ourselves so that it is 0600 whatever the umask.
void createStoreFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return;
        throw RegistryError("Cannot create the store " + path + ": " + std::strerror(errno));
    }
    const bool private_ = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!private_)
        throw RegistryError("Cannot protect the store " + path + ": " + std::strerror(errno));
}

struct SchemaState {
    int objectCount = 0;
    std::int32_t applicationId = 0;
    int version = 0;
};

int singleInteger(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    const int code = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    StatementHandle statement(raw);
    if (code != SQLITE_OK) throw SqliteFailure{code, sqlite3_errmsg(db)};
    Query query(statement.get());
    return query.next() ? static_cast<int>(query.integer(0)) : 0;
}

SchemaState readSchemaState(sqlite3* db) {
    return {singleInteger(db, "SELECT count(*) FROM sqlite_schema"),
            singleInteger(db, "PRAGMA application_id"), singleInteger(db, "PRAGMA user_version")};
}

}  // namespace

class SqliteRegistry::Store {
public:
    Store(std::string path, Connection db, AutostartMirror mirror)
        : path_(std::move(path)),
          db_(std::move(db)),
          mirror_(std::move(mirror)),
          keyIds_(std::random_device{}()) {}

    const std::string& path() const { return path_; }
    sqlite3* db() const { return db_.get(); }

    Query query(const char* sql) {
        auto& statement = statements_[sql];
        if (!statement) {
            sqlite3_stmt* raw = nullptr;
            const int code =
                sqlite3_prepare_v3(db(), sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
            if (code != SQLITE_OK) throw SqliteFailure{code, sqlite3_errmsg(db())};
            statement.reset(raw);
        }
        return Query(statement.get());
    }

    RegistryError readFailure(const SqliteFailure& failure) const {
        return storeFailure(path_, "read", failure);
    }

    // --- keys

    std::optional<KeyId> findKey(RegRoot root, const std::vector<std::string>& foldedNames) {
        KeyId id = rootId(root);
        for (const auto& name : foldedNames) {
            auto lookup = query(kSelectSubKey);
            lookup.bind(id).bindText(name);
            if (!lookup.next()) return std::nullopt;
            id = lookup.integer(0);
        }
        return id;
    }

    KeyId createKey(RegRoot root, const std::vector<std::string>& names) {
        snapshot_.reset();
        WriteStep step(*this);
        KeyId id = rootId(root);
        for (const auto& name : names) {
            const std::string folded = fold(name);
            std::optional<KeyId> child;
            {
                auto lookup = query(kSelectSubKey);
                lookup.bind(id).bindText(folded);
                if (lookup.next()) child = lookup.integer(0);
            }
            id = child ? *child : insertKey(id, name, folded);
        }
        step.done();
        return id;
    }

    bool deleteKey(RegRoot root, const std::vector<std::string>& names) {
        const auto foldedNames = foldAll(names);
        snapshot_.reset();
        WriteStep step(*this);
        const auto id = findKey(root, foldedNames);
        if (!id) return false;
        std::vector<std::string> runValueNames;
        if (coversRunKey(root, foldedNames))
            if (const auto runKey = findKey(root, foldAll(splitPath(kRunKeyPath))))
                runValueNames = valueNames(*runKey);
        query(kDeleteKey).bind(*id).run();
        step.done();
        for (const auto& name : runValueNames) runValueChanged(name, std::nullopt);
        return true;
    }

    std::vector<std::string> subKeyNames(KeyId id) {
        std::vector<std::string> names;
        auto select = query(kSelectSubKeyNames);
        select.bind(id);
        while (select.next()) names.push_back(select.bytes(0));
        return names;
    }

    std::optional<std::string> storedPath(RegRoot root, const std::vector<std::string>& names) {
        std::string path;
        KeyId id = rootId(root);
        for (const auto& name : names) {
            auto lookup = query(kSelectSubKey);
            lookup.bind(id).bindText(fold(name));
            if (!lookup.next()) return std::nullopt;
            id = lookup.integer(0);
            path += '\\' + lookup.bytes(1);
        }
        return path;
    }

    // --- values

    std::optional<RegValue> readValue(KeyId key, const std::string& name) {
        if (auto value = takeFromSnapshot(key, fold(name))) return value;
        auto select = query(kSelectValue);
        select.bind(key).bindText(fold(name));
        if (!select.next()) return std::nullopt;
        return RegValue{static_cast<RegType>(select.integer(0)), select.bytes(1)};
    }

    void writeValue(KeyId key, const std::string& name, const RegValue& value) {
        requireLiveBatch();
        snapshot_.reset();
        query(kUpsertValue)
            .bind(key)
            .bindText(name)
            .bindText(fold(name))
            .bind(static_cast<KeyId>(value.type))
            .bindBlob(value.data)
            .run();
    }

    bool deleteValue(KeyId key, const std::string& name) {
        requireLiveBatch();
        snapshot_.reset();
        query(kDeleteValue).bind(key).bindText(fold(name)).run();
        return sqlite3_changes(db()) > 0;
    }

    // Takes every value of the key in one statement, so that the reads
    // which usually follow an enumeration come from memory.
    std::vector<std::string> valueNames(KeyId key) {
        std::vector<std::string> names;
        ValueSnapshot snapshot{key, {}, 0, SnapshotClock::now()};
        auto select = query(kSelectValues);
        select.bind(key);
        while (select.next()) {
            names.push_back(select.bytes(0));
            snapshot.values.emplace_back(
                select.bytes(1),
                RegValue{static_cast<RegType>(select.integer(2)), select.bytes(3)});
        }
        snapshot_ = std::move(snapshot);
        return names;
    }

    // --- transactions

    void beginBatch() {
        if (inTransaction_) throw RegistryError("A batch of writes is already open");
        snapshot_.reset();
        try {
            execute(db(), "BEGIN IMMEDIATE");
        } catch (const SqliteFailure& failure) {
            throw storeFailure(path_, "write to", failure);
        }
        inTransaction_ = true;
        pendingRunValues_.clear();
    }

    void commitBatch() {
        inTransaction_ = false;
        snapshot_.reset();
        if (sqlite3_get_autocommit(db())) {
            // SQLite already rolled back after an error the batch's writer ignored.
            pendingRunValues_.clear();
            throw RegistryError("Cannot write to the store " + path_ +
                                ": the batch was rolled back after an error");
        }
        try {
            execute(db(), "COMMIT");
        } catch (const SqliteFailure& failure) {
            rollBack();
            throw storeFailure(path_, "write to", failure);
        }
        mirrorPendingRunValues();
    }

    void abandonBatch() {
        inTransaction_ = false;
        rollBack();
    }

    // A change to a Run value reaches the autostart folder only once committed.
    void runValueChanged(const std::string& name, const std::optional<RegValue>& value) {
        if (inTransaction_)
            pendingRunValues_.insert(fold(name));
        else
            mirror_.update(name, value);
    }

    void initialise(const ShellFolderPaths& shellFolders, SqliteRegistry& registry);

private:
    // One write operation that lands whole: a savepoint inside a batch, else
    // a transaction of its own that takes the write lock up front (a read
    // upgraded to a write could not wait for other writers).
    class WriteStep {
    public:
        explicit WriteStep(Store& store) : store_(store), nested_(store.inTransaction_) {
            store_.requireLiveBatch();
            execute(store_.db(), nested_ ? "SAVEPOINT zn_step" : "BEGIN IMMEDIATE");
        }
        ~WriteStep() {
            if (finished_) return;
            try {
                if (!sqlite3_get_autocommit(store_.db()))
                    execute(store_.db(),
                            nested_ ? "ROLLBACK TO zn_step; RELEASE zn_step" : "ROLLBACK");
            } catch (const SqliteFailure&) {
                // Nothing more can be undone; the error that got us here is reported.
            }
        }
        WriteStep(const WriteStep&) = delete;
        WriteStep& operator=(const WriteStep&) = delete;
        void done() {
            execute(store_.db(), nested_ ? "RELEASE zn_step" : "COMMIT");
            finished_ = true;
        }

    private:
        Store& store_;
        bool nested_;
        bool finished_ = false;
    };

    using SnapshotClock = std::chrono::steady_clock;
    // An enumeration's values, served to reads of the same key in the same
    // order. Any change made here drops it, and it is short-lived, so that a
    // read never returns data older than the enumeration that came just before.
    struct ValueSnapshot {
        KeyId key;
        std::vector<std::pair<std::string, RegValue>> values;  // folded name, value
        std::size_t next;
        SnapshotClock::time_point taken;
    };
    static constexpr auto kSnapshotLifetime = std::chrono::milliseconds(100);

    std::optional<RegValue> takeFromSnapshot(KeyId key, const std::string& foldedName) {
        if (!snapshot_ || snapshot_->key != key || snapshot_->next >= snapshot_->values.size())
            return std::nullopt;
        if (SnapshotClock::now() - snapshot_->taken > kSnapshotLifetime) {
            snapshot_.reset();
            return std::nullopt;
        }
        auto& [name, value] = snapshot_->values[snapshot_->next];
        if (name != foldedName) return std::nullopt;
        ++snapshot_->next;
        return std::move(value);
    }

    void requireLiveBatch() const {
        if (inTransaction_ && sqlite3_get_autocommit(db()))
            throw SqliteFailure{SQLITE_ABORT, "the batch was rolled back after an error"};
    }

    KeyId insertKey(KeyId parent, const std::string& name, const std::string& folded) {
        std::uniform_int_distribution<KeyId> anyId(KeyId{1} << 32, KeyId{1} << 62);
        for (int attempt = 0;; ++attempt) {
            const KeyId id = anyId(keyIds_);
            try {
                query(kInsertKey).bind(id).bind(parent).bindText(name).bindText(folded).run();
                return id;
            } catch (const SqliteFailure& failure) {
                if (failure.code != SQLITE_CONSTRAINT_PRIMARYKEY || attempt == 3) throw;
            }
        }
    }

    void rollBack() {
        pendingRunValues_.clear();
        snapshot_.reset();
        if (!sqlite3_get_autocommit(db())) {
            try {
                execute(db(), "ROLLBACK");
            } catch (const SqliteFailure&) {
                // SQLite rolls back by itself when it cannot; nothing is left to do.
            }
        }
    }

    void mirrorPendingRunValues() {
        std::set<std::string> names;
        names.swap(pendingRunValues_);
        if (names.empty()) return;
        std::optional<std::string> failedName;
        std::optional<KeyId> runKey;
        try {
            runKey = findKey(RegRoot::CurrentUser, foldAll(splitPath(kRunKeyPath)));
        } catch (const SqliteFailure& failure) {
            throw storeFailure(path_, "read", failure);
        }
        for (const auto& name : names) {
            try {
                mirror_.update(name, runKey ? readValue(*runKey, name) : std::nullopt);
            } catch (const std::exception&) {
                if (!failedName) failedName = name;
            }
        }
        if (failedName) throw failedToSetData(*failedName);
    }

    std::string path_;
    Connection db_;
    // Declared after the connection so that the statements are finalized first.
    std::unordered_map<const char*, StatementHandle> statements_;
    AutostartMirror mirror_;
    std::mt19937_64 keyIds_;
    bool inTransaction_ = false;
    std::set<std::string> pendingRunValues_;  // folded names
    std::optional<ValueSnapshot> snapshot_;
};

namespace {

class SqliteKey : public RegistryKey {
public:
    SqliteKey(std::shared_ptr<SqliteRegistry::Store> store, KeyId id, bool isRunKey)
        : store_(std::move(store)), id_(id), isRunKey_(isRunKey) {}

    std::optional<RegValue> readValue(const std::string& name) const override {
        try {
            return store_->readValue(id_, name);
        } catch (const SqliteFailure& failure) {
            throw store_->readFailure(failure);
        }
    }

    void writeValue(const std::string& name, const RegValue& value) override {
        try {
            // A key deleted meanwhile fails here: its id no longer satisfies
            // the foreign key.
            store_->writeValue(id_, name, value);
        } catch (const SqliteFailure&) {
            throw failedToSetData(name);
        }
        if (isRunKey_) store_->runValueChanged(name, value);
    }

    bool deleteValue(const std::string& name) override {
        bool deleted = false;
        try {
            deleted = store_->deleteValue(id_, name);
        } catch (const SqliteFailure&) {
            throw failedToSetData(name);
        }
        if (deleted && isRunKey_) store_->runValueChanged(name, std::nullopt);
        return deleted;
    }

    std::vector<std::string> valueNames() const override {
        try {
            return store_->valueNames(id_);
        } catch (const SqliteFailure& failure) {
            throw store_->readFailure(failure);
        }
    }

private:
    std::shared_ptr<SqliteRegistry::Store> store_;
    KeyId id_;
    bool isRunKey_;
};

class SqliteBatch : public RegistryBatch {
public:
    explicit SqliteBatch(std::shared_ptr<SqliteRegistry::Store> store) : store_(std::move(store)) {
        store_->beginBatch();
    }
    ~SqliteBatch() override {
        if (open_) store_->abandonBatch();
    }
    SqliteBatch(const SqliteBatch&) = delete;
    SqliteBatch& operator=(const SqliteBatch&) = delete;

    void commit() override {
        if (!open_) return;
        open_ = false;
        store_->commitBatch();
    }

private:
    std::shared_ptr<SqliteRegistry::Store> store_;
    bool open_ = true;
};

}  // namespace

void SqliteRegistry::Store::initialise(const ShellFolderPaths& shellFolders,
                                       SqliteRegistry& registry) {
    beginBatch();
    try {
        const SchemaState state = readSchemaState(db());
        // Checked again under the write lock: another process may have made
        // the store since we first looked.
        if (state.applicationId != kApplicationId) {
            if (state.objectCount != 0)
                throw SqliteFailure{SQLITE_NOTADB, "its tables are not ours"};
            execute(db(), kSchema);
            execute(db(), ("PRAGMA application_id = " + std::to_string(kApplicationId) +
                           "; PRAGMA user_version = " + std::to_string(kSchemaVersion))
                              .c_str());
            seedShellFolders(registry, shellFolders);
        }
    } catch (const SqliteFailure& failure) {
        abandonBatch();
        throw storeFailure(path_, "create", failure);
    } catch (...) {
        abandonBatch();
        throw;
    }
    commitBatch();
}

SqliteRegistry::SqliteRegistry(std::shared_ptr<Store> store) : store_(std::move(store)) {}
SqliteRegistry::~SqliteRegistry() = default;

std::unique_ptr<SqliteRegistry> SqliteRegistry::open(const std::string& path,
                                                     const SqliteRegistryOptions& options) {
    refuseForeignFile(path);
    try {
        createPrivateFolders(std::filesystem::path(path).parent_path());
    } catch (const std::filesystem::filesystem_error& error) {
        throw RegistryError("Cannot create the folder of the store " + path + ": " +
                            error.code().message());
    }
    createStoreFile(path);

    sqlite3* raw = nullptr;
    const int code =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE, nullptr);
    Connection db(raw);
    if (code != SQLITE_OK)
        throw storeFailure(path, "open", {code, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(code)});
    sqlite3_busy_timeout(db.get(), options.busyTimeoutMs);

    try {
        const SchemaState state = readSchemaState(db.get());
        if (state.applicationId != kApplicationId && state.objectCount != 0) {
            // Closing must not checkpoint a foreign database's log into it.
            sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            throw notRegistryDatabase(path, "its tables are not a registry's");
        }
        if (state.applicationId == kApplicationId && state.version > kSchemaVersion)
            throw RegistryError("The store " + path + " was made by a newer version of Zintrel");
        // WAL lets readers go on while another process writes; NORMAL
        // synchronisation is still safe against corruption in WAL mode.
        execute(db.get(), "PRAGMA journal_mode = WAL");
        execute(db.get(), "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON");
    } catch (const SqliteFailure& failure) {
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        throw storeFailure(path, "open", failure);
    }

    const auto folders = XdgFolders::fromEnvironment();
    AutostartMirror mirror(options.autostartFolder.value_or(folders.configHome / "autostart"));
    auto store = std::make_shared<Store>(path, std::move(db), std::move(mirror));
    std::unique_ptr<SqliteRegistry> registry(new SqliteRegistry(store));
    store->initialise(options.shellFolders.value_or(ShellFolderPaths::fromFolders(folders)),
                      *registry);
    return registry;
}

std::unique_ptr<RegistryKey> SqliteRegistry::openKey(RegRoot root, const std::string& path,
                                                     bool create) {
    const auto names = splitPath(path);
    const auto foldedNames = foldAll(names);
    std::optional<KeyId> id;
    try {
        id = store_->findKey(root, foldedNames);
    } catch (const SqliteFailure& failure) {
        throw store_->readFailure(failure);
    }
    if (!id) {
        if (!create) return nullptr;
        try {
            id = store_->createKey(root, names);
        } catch (const SqliteFailure&) {
            throw failedToSetData(names.back());
        }
    }
    return std::make_unique<SqliteKey>(store_, *id, isRunKey(root, foldedNames));
}

bool SqliteRegistry::deleteKey(RegRoot root, const std::string& path) {
    const auto names = splitPath(path);
    if (names.empty()) throw RegistryError("A root key cannot be deleted");
    try {
        return store_->deleteKey(root, names);
    } catch (const SqliteFailure&) {
        throw failedToSetData(names.back());
    }
}

std::unique_ptr<RegistryBatch> SqliteRegistry::beginBatch() {
    return std::make_unique<SqliteBatch>(store_);
}

std::vector<std::string> SqliteRegistry::subKeyNames(RegRoot root, const std::string& path) const {
    try {
        const auto id = store_->findKey(root, foldAll(splitPath(path)));
        return id ? store_->subKeyNames(*id) : std::vector<std::string>{};
    } catch (const SqliteFailure& failure) {
        throw store_->readFailure(failure);
    }
}

std::optional<std::string> SqliteRegistry::storedPath(RegRoot root, const std::string& path) const {
    try {
        return store_->storedPath(root, splitPath(path));
    } catch (const SqliteFailure& failure) {
        throw store_->readFailure(failure);
    }
}

const std::string& SqliteRegistry::path() const {
    return store_->path();
}

}  // namespace zn

namespace zn {

bool SqliteRegistry::visitTree(
    RegRoot root, const std::string& path,
    const std::function<void(const std::string& below, const RegistryKey& key)>& visit) const {
    struct Pending {
        KeyId id;
        std::string below;
    };
    try {
        const auto top = store_->findKey(root, foldAll(splitPath(path)));
        if (!top) return false;
        std::vector<Pending> pending{{*top, {}}};
        while (!pending.empty()) {
            const Pending current = std::move(pending.back());
            pending.pop_back();
            visit(current.below, SqliteKey(store_, current.id, false));
            std::vector<Pending> children;
            auto select = store_->query(
                "SELECT id, name FROM registry_keys WHERE parent = ? ORDER BY folded");
            select.bind(current.id);
            while (select.next()) {
                const std::string name = select.bytes(1);
                children.push_back({select.integer(0),
                                    current.below.empty() ? name : current.below + '\\' + name});
            }
            pending.insert(pending.end(), std::make_move_iterator(children.rbegin()),
                           std::make_move_iterator(children.rend()));
        }
    } catch (const SqliteFailure& failure) {
        throw store_->readFailure(failure);
    }
    return true;
}

}  // namespace zn
