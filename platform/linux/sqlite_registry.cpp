#include "platform/linux/sqlite_registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>

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
// The key and every key below it, breadth first: with no ORDER BY, SQLite
// works a recursive query as a queue, so each key comes after its parent.
constexpr const char* kSelectTree =
    "WITH RECURSIVE tree (id) AS (SELECT ? UNION ALL "
    "SELECT registry_keys.id FROM registry_keys JOIN tree ON registry_keys.parent = tree.id) "
    "SELECT id FROM tree";
// A key's values in creation order, for reading them all. Through the index
// on names they would come in name order and need sorting, which copies every
// value once more; the table itself is already in creation order. Scanning it
// costs what the whole store holds, which is what reading the entries key,
// nearly all of the store, costs anyway.
//
// A string, nearly every value, comes as its data alone and any other value
// as its id, to be read by kSelectValueById: SQLite charges for each column of
// each row, and a second column for the type would cost every string.
constexpr const char* kSelectValuesInOrder =
    "SELECT iif(type = 1, CAST(data AS BLOB), id) FROM registry_values "
    "WHERE +key_id = ? ORDER BY id";
constexpr const char* kSelectValueById = "SELECT type, data FROM registry_values WHERE id = ?";
// Every value in the store: SQLite counts a whole table from its pages,
// without visiting a row, where counting one key's values reads each of them.
constexpr const char* kCountAllValues = "SELECT count(*) FROM registry_values";
constexpr const char* kSelectStoredValues =
    "SELECT id, folded, name, type, data FROM registry_values WHERE +key_id = ? ORDER BY id";
constexpr const char* kUpdateValue =
    "UPDATE registry_values SET name = ?, type = ?, data = ? WHERE id = ?";
// Rewrites the data of every row given by zn_replacement(id), the rows
// between the two ids, in one statement: a statement per row costs several
// times the row's own work. OR FAIL needs no statement journal; the write
// step around it undoes a failure whole.
constexpr const char* kReplaceValuesData =
    "UPDATE OR FAIL registry_values SET data = zn_replacement(id) "
    "WHERE id BETWEEN ? AND ? AND zn_replacement(id) NOT NULL";
constexpr const char* kDeleteValuesFrom =
    "DELETE FROM registry_values WHERE key_id = ? AND id >= ?";

using KeyId = sqlite3_int64;

// Names compare ignoring ASCII letter case, as the Windows registry does for
// the names our programs use.
std::string fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// Whether a stored folded name is this name folded, without folding a copy.
bool isFoldOf(std::string_view folded, const std::string& name) {
    if (folded.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (folded[i] != (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c))
            return false;
    }
    return true;
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
    Query& bindBlob(const std::string& bytes) { return bindBytes(bytes, SQLITE_TRANSIENT); }
    // Not copied: for bytes that outlive every step of this use.
    Query& bindLastingBlob(const std::string& bytes) { return bindBytes(bytes, SQLITE_STATIC); }

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
    bool isBlob(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_BLOB; }
    // The bytes when the column holds a blob, valid until the next step: one
    // look at the column where isBlob and view take three. The connection is
    // used by one thread at a time, which makes reading the value direct safe.
    std::optional<std::string_view> blobView(int column) const {
        sqlite3_value* value = sqlite3_column_value(statement_, column);
        if (sqlite3_value_type(value) != SQLITE_BLOB) return std::nullopt;
        const void* data = sqlite3_value_blob(value);
        const auto size = static_cast<std::size_t>(sqlite3_value_bytes(value));
        return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
    }
    std::string bytes(int column) const { return std::string(view(column)); }
    // Valid until the next step.
    std::string_view view(int column) const {
        const void* data = sqlite3_column_blob(statement_, column);
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
        return data ? std::string_view(static_cast<const char*>(data), size) : std::string_view();
    }

private:
    Query& bindBytes(const std::string& bytes, sqlite3_destructor_type lifetime) {
        // A zero-length blob must still be a blob, not NULL.
        check(bytes.empty() ? sqlite3_bind_zeroblob(statement_, ++bound_, 0)
                            : sqlite3_bind_blob64(statement_, ++bound_, bytes.data(), bytes.size(),
                                                  lifetime));
        return *this;
    }
    void check(int code) const {
        if (code != SQLITE_OK) fail(code);
    }
    [[noreturn]] void fail(int code) const {
        throw SqliteFailure{code, sqlite3_errmsg(sqlite3_db_handle(statement_))};
    }

    sqlite3_stmt* statement_;
    int bound_ = 0;
};

// Rewrites stored data in place, keeping its length: no row is decoded or
// built again, which makes it several times cheaper than an UPDATE. Inside a
// transaction like any other write, so a rollback undoes it.
class DataOverwriter {
public:
    explicit DataOverwriter(sqlite3* db) : db_(db) {}
    ~DataOverwriter() {
        if (blob_) sqlite3_blob_close(blob_);
    }
    DataOverwriter(const DataOverwriter&) = delete;
    DataOverwriter& operator=(const DataOverwriter&) = delete;

    // bytes must be as long as the row's data.
    void write(sqlite3_int64 row, const std::string& bytes) {
        int code = blob_
                       ? sqlite3_blob_reopen(blob_, row)
                       : sqlite3_blob_open(db_, "main", "registry_values", "data", row, 1, &blob_);
        if (code == SQLITE_OK)
            code = sqlite3_blob_write(blob_, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (code != SQLITE_OK) throw SqliteFailure{code, sqlite3_errmsg(db_)};
    }
    void finish() {
        sqlite3_blob* blob = std::exchange(blob_, nullptr);
        if (blob && sqlite3_blob_close(blob) != SQLITE_OK)
            throw SqliteFailure{sqlite3_errcode(db_), sqlite3_errmsg(db_)};
    }

private:
    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
};

RegistryError notRegistryDatabase(const std::string& path, const std::string& why) {
    return RegistryError("The store " + path + " is not a registry database: " + why);
}

RegistryError lockedStore(const std::string& path) {
    return RegistryError("The store " + path + " is locked by another program");
}

RegistryError readOnlyStore(const std::string& path) {
    return RegistryError("The store " + path + " is read-only");
}

RegistryError storeFailure(const std::string& path, const std::string& action,
                           const SqliteFailure& failure) {
    const int primary = failure.code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return lockedStore(path);
    if (primary == SQLITE_READONLY) return readOnlyStore(path);
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

bool ownedByUser(const struct stat& status) {
    return status.st_uid == ::geteuid();
}

// A link may point the store at a file of someone else's: reading their
// file as ours, or writing ours into it, is refused.
void refuseLinkToOthersFile(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return;
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && !ownedByUser(target))
        throw RegistryError("The store " + path + " is a link to a file owned by another user");
}

// A file or folder the user owns but has taken the write permission from is
// read-only to us, even where the system would let us write (as root).
bool writable(const std::filesystem::path& path, const struct stat& status) {
    if (ownedByUser(status) && !(status.st_mode & S_IWUSR)) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Whether the folder holds nothing but the store and its companions: only
// then is it the store's own to make private (never a home or shared folder).
bool holdsOnlyTheStore(const std::filesystem::path& folder, const std::string& storeName) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name != storeName && name != storeName + "-wal" && name != storeName + "-shm" &&
            name != storeName + "-journal")
            return false;
    }
    return !error;
}

struct StoreAccess {
    bool readOnly = false;
    bool walHasContent = false;  // committed writes not yet in the file itself
};

// A store restored with cp, or a folder made by hand, may be open to other
// users: what the user owns is made private again, and the user is told. The
// -wal and -shm files follow the store's own mode, which also mends the
// read-only ones an older version left behind. Then tells whether we may write.
StoreAccess protectStore(const std::string& path, const StoreNotice& notice) {
    std::error_code error;
    // SQLite keeps the -wal and -shm files beside the file a link leads to.
    std::filesystem::path file = std::filesystem::canonical(path, error);
    if (error) file = path;
    const auto folder =
        file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    std::string opened;
    auto setMode = [&opened](const std::filesystem::path& target, const struct stat& status,
                             mode_t wanted, const std::string& what) {
        const mode_t mode = status.st_mode & 07777;
        if (mode == wanted || !ownedByUser(status) || ::chmod(target.c_str(), wanted) != 0) return;
        if (mode & 077) opened += (opened.empty() ? "" : ", ") + what + " " + octal(mode);
    };

    StoreAccess access;
    struct stat fileStatus {};
    if (::stat(file.c_str(), &fileStatus) != 0) return access;  // SQLite says what is wrong
    setMode(file, fileStatus, fileStatus.st_mode & 0600, "file");
    ::stat(file.c_str(), &fileStatus);
    bool companionsExist = true;
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::filesystem::path companion = file.string() + suffix;
        struct stat status {};
        if (::stat(companion.c_str(), &status) != 0) {
            companionsExist = false;
            continue;
        }
        setMode(companion, status, (status.st_mode | fileStatus.st_mode) & 0600, suffix);
        if (std::string_view(suffix) == "-wal") access.walHasContent = status.st_size > 0;
    }
    struct stat folderStatus {};
    const bool folderFound = ::stat(folder.c_str(), &folderStatus) == 0;
    if (folderFound && holdsOnlyTheStore(folder, file.filename().string())) {
        setMode(folder, folderStatus, folderStatus.st_mode & 0700, "folder");
        ::stat(folder.c_str(), &folderStatus);
    }
    if (!opened.empty())
        notice("The store " + path + " was open to other users (" + opened +
               "): it is now private");

    // SQLite makes the -wal and -shm files in the folder when they are missing.
    access.readOnly = !writable(file, fileStatus) ||
                      (!companionsExist && folderFound && !writable(folder, folderStatus));
    return access;
}

// How a read-only store is opened. With no committed writes waiting in a
// -wal file, the file alone is the whole store, and SQLite is told it cannot
// change: it then makes no -wal or -shm file, which the read-only mode would
// pass on to them, breaking every write once the user has mended the mode.
std::string readOnlyUri(const std::string& path, bool fileIsWhole) {
    std::string uri = "file:";
    for (const unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/._-~", c)) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri + (fileIsWhole ? "?mode=ro&immutable=1" : "?mode=ro");
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

// Switching a new file to WAL takes the write lock from inside a read, where
// SQLite never calls the busy handler (two readers upgrading would deadlock):
// while another program is still making the store, the switch fails at once.
// It is tried again, afresh, for as long as any other lock would be waited for.
void switchToWal(sqlite3* db, int busyTimeoutMs) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(busyTimeoutMs);
    for (;;) {
        try {
            execute(db, "PRAGMA journal_mode = WAL");
            return;
        } catch (const SqliteFailure& failure) {
            if ((failure.code & 0xFF) != SQLITE_BUSY ||
                std::chrono::steady_clock::now() >= deadline)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

class SqliteRegistry::Store {
public:
    Store(std::string path, Connection db, AutostartMirror mirror, bool readOnly)
        : path_(std::move(path)),
          db_(std::move(db)),
          mirror_(std::move(mirror)),
          keyIds_(std::random_device{}()),
          readOnly_(readOnly) {
        // Only our own statements may call it: never a trigger or a view.
        const int code = sqlite3_create_function_v2(db_.get(), "zn_replacement", 1,
                                                    SQLITE_UTF8 | SQLITE_DIRECTONLY, this,
                                                    replacementData, nullptr, nullptr, nullptr);
        if (code != SQLITE_OK) throw storeFailure(path_, "open", {code, sqlite3_errmsg(db_.get())});
    }

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
    // A write refused because the file became read-only says so; any other
    // failure is the registry's own message.
    RegistryError writeFailure(const std::string& valueName, const SqliteFailure& failure) const {
        if ((failure.code & 0xFF) == SQLITE_READONLY) return readOnlyStore(path_);
        return failedToSetData(valueName);
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
        deleteTree(*id, true);
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

    void forEachValue(KeyId key, const RegistryKey::ValueVisitor& visit) {
        auto select = query(kSelectValuesInOrder);
        select.bind(key);
        while (select.next()) {
            if (const auto data = select.blobView(0)) {
                visit(RegType::String, *data);
                continue;
            }
            auto value = query(kSelectValueById);
            value.bind(select.integer(0));
            if (value.next()) visit(static_cast<RegType>(value.integer(0)), value.view(1));
        }
    }

    std::size_t valueCountBound() {
        auto count = query(kCountAllValues);
        return count.next() ? static_cast<std::size_t>(count.integer(0)) : 0;
    }

    // Where the same name already stands at the same place the row is kept,
    // and rewritten only when its data differs; what follows the first
    // mismatch goes, and the rest is added. The result is what deleting and
    // writing afresh gives, but a save of a long list writes only what changed,
    // and data that keeps its length (a list enciphered under a new key) is
    // overwritten in place rather than rewritten row by row.
    // `writing` names the value being written, for the message should it fail.
    void replaceContents(KeyId key, const std::vector<NamedValue>& values, std::string& writing) {
        snapshot_.reset();
        WriteStep step(*this);
        deleteTree(key, false);
        struct Change {
            KeyId id;
            const NamedValue* value;
        };
        std::vector<Change> overwritten;  // only the bytes change, not their length
        std::vector<Change> rewritten;    // the data changes its length
        std::vector<Change> changed;      // the type, or the name's letter case
        std::optional<KeyId> firstStale;
        std::size_t kept = 0;
        {
            auto select = query(kSelectStoredValues);
            select.bind(key);
            while (select.next()) {
                if (kept == values.size() || !isFoldOf(select.view(1), values[kept].name)) {
                    firstStale = select.integer(0);
                    break;
                }
                const NamedValue& wanted = values[kept++];
                const Change change{select.integer(0), &wanted};
                const std::string_view data = select.view(4);
                if (select.view(2) != wanted.name ||
                    static_cast<RegType>(select.integer(3)) != wanted.value.type)
                    changed.push_back(change);
                else if (data == wanted.value.data)
                    continue;
                else if (data.size() == wanted.value.data.size() && select.isBlob(4))
                    overwritten.push_back(change);
                else
                    rewritten.push_back(change);
            }
        }
        if (firstStale) query(kDeleteValuesFrom).bind(key).bind(*firstStale).run();
        if (!overwritten.empty()) {
            DataOverwriter overwriter(db());
            for (const auto& [id, wanted] : overwritten) {
                writing = wanted->name;
                overwriter.write(id, wanted->value.data);
            }
            overwriter.finish();
        }
        if (!rewritten.empty()) {
            // The statement names no row: a failure names the first.
            writing = rewritten.front().value->name;
            replacements_.clear();
            nextReplacement_ = 0;
            for (const auto& [id, wanted] : rewritten)
                replacements_.emplace_back(id, &wanted->value.data);
            query(kReplaceValuesData).bind(rewritten.front().id).bind(rewritten.back().id).run();
            replacements_.clear();
        }
        for (const auto& [id, wanted] : changed) {
            writing = wanted->name;
            query(kUpdateValue)
                .bindText(wanted->name)
                .bind(static_cast<KeyId>(wanted->value.type))
                .bindLastingBlob(wanted->value.data)
                .bind(id)
                .run();
        }
        for (auto it = values.begin() + static_cast<std::ptrdiff_t>(kept); it != values.end();
             ++it) {
            writing = it->name;
            writeValue(key, it->name, it->value);
        }
        step.done();
    }

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
        if (readOnly_) throw readOnlyStore(path_);
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

    // Deletes the tree below a key, and the key too unless asked to keep it,
    // deepest keys first, so that no ON DELETE CASCADE ever has a child key to
    // follow: SQLite runs cascades as triggers, nested at most 1,000 deep, and a
    // deeper chain, imported before depths were limited, must still go.
    void deleteTree(KeyId top, bool withTop) {
        std::vector<KeyId> tree;
        {
            auto select = query(kSelectTree);
            select.bind(top);
            while (select.next()) tree.push_back(select.integer(0));
        }
        if (!withTop) tree.erase(tree.begin());
        for (auto it = tree.rbegin(); it != tree.rend(); ++it) query(kDeleteKey).bind(*it).run();
    }

    // zn_replacement(id): the data replaceContents gives the row, or NULL
    // for a row it leaves alone.
    static void replacementData(sqlite3_context* context, int, sqlite3_value** arguments) {
        auto& store = *static_cast<Store*>(sqlite3_user_data(context));
        const auto& replacements = store.replacements_;
        auto& next = store.nextReplacement_;
        const KeyId id = sqlite3_value_int64(arguments[0]);
        // The update asks row by row in id order, twice for each row (where
        // and set), so the answer lies at or after the last one; only should
        // the order ever differ is it searched for.
        if (next > 0 && replacements[next - 1].first >= id)
            next = static_cast<std::size_t>(
                std::lower_bound(replacements.begin(), replacements.end(), id,
                                 [](const auto& replacement, KeyId wanted) {
                                     return replacement.first < wanted;
                                 }) -
                replacements.begin());
        while (next < replacements.size() && replacements[next].first < id) ++next;
        if (next == replacements.size() || replacements[next].first != id) return;  // NULL
        const std::string& data = *replacements[next].second;
        if (data.empty())
            sqlite3_result_zeroblob(context, 0);  // still a blob, not NULL
        else
            sqlite3_result_blob64(context, data.data(), data.size(), SQLITE_STATIC);
    }

    // Every write passes here first.
    void requireLiveBatch() const {
        if (readOnly_) throw readOnlyStore(path_);
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
    bool readOnly_;
    bool inTransaction_ = false;
    std::set<std::string> pendingRunValues_;  // folded names
    std::optional<ValueSnapshot> snapshot_;
    // What zn_replacement returns while replaceContents runs: row id and its
    // new data, in ascending order of id.
    std::vector<std::pair<KeyId, const std::string*>> replacements_;
    std::size_t nextReplacement_ = 0;  // where zn_replacement's last answer was
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
        } catch (const SqliteFailure& failure) {
            throw store_->writeFailure(name, failure);
        }
        if (isRunKey_) store_->runValueChanged(name, value);
    }

    bool deleteValue(const std::string& name) override {
        bool deleted = false;
        try {
            deleted = store_->deleteValue(id_, name);
        } catch (const SqliteFailure& failure) {
            throw store_->writeFailure(name, failure);
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

    void forEachValue(const ValueVisitor& visit) const override {
        try {
            store_->forEachValue(id_, visit);
        } catch (const SqliteFailure& failure) {
            throw store_->readFailure(failure);
        }
    }

    std::size_t valueCountBound() const override {
        try {
            return store_->valueCountBound();
        } catch (const SqliteFailure& failure) {
            throw store_->readFailure(failure);
        }
    }

    void replaceContents(const std::vector<NamedValue>& values) override {
        const auto previousNames = isRunKey_ ? valueNames() : std::vector<std::string>{};
        std::string writing;
        try {
            store_->replaceContents(id_, values, writing);
        } catch (const SqliteFailure& failure) {
            throw store_->writeFailure(writing, failure);
        }
        if (!isRunKey_) return;
        for (const auto& name : previousNames) store_->runValueChanged(name, std::nullopt);
        for (const auto& [name, value] : values) store_->runValueChanged(name, value);
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
    if (readOnly_) throw readOnlyStore(path_);
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
                                                     const SqliteRegistryOptions& options,
                                                     const StoreNotice& notice) {
    refuseLinkToOthersFile(path);
    refuseForeignFile(path);
    try {
        createPrivateFolders(std::filesystem::path(path).parent_path());
    } catch (const std::filesystem::filesystem_error& error) {
        throw RegistryError("Cannot create the folder of the store " + path + ": " +
                            error.code().message());
    }
    createStoreFile(path);
    const StoreAccess access = protectStore(
        path, notice ? notice : [](const std::string& text) { std::cerr << text << '\n'; });

    // One connection per store object, used by one thread: SQLite's own
    // locking of each call would be pure cost.
    sqlite3* raw = nullptr;
    const int flags =
        SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX |
        (access.readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI : SQLITE_OPEN_READWRITE);
    const std::string name = access.readOnly ? readOnlyUri(path, !access.walHasContent) : path;
    const int code = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    Connection db(raw);
    if (code != SQLITE_OK)
        throw storeFailure(path, "open", {code, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(code)});
    sqlite3_busy_timeout(db.get(), options.busyTimeoutMs);

    bool schemaMissing = false;
    try {
        const SchemaState state = readSchemaState(db.get());
        schemaMissing = state.applicationId != kApplicationId;
        if (state.applicationId != kApplicationId && state.objectCount != 0) {
            // Closing must not checkpoint a foreign database's log into it.
            sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            throw notRegistryDatabase(path, "its tables are not a registry's");
        }
        if (state.applicationId == kApplicationId && state.version > kSchemaVersion)
            throw RegistryError("The store " + path + " was made by a newer version of Zintrel");
        // WAL lets readers go on while another process writes; NORMAL
        // synchronisation is still safe against corruption in WAL mode.
        // Neither takes a lock once the store is in WAL mode.
        if (!access.readOnly) switchToWal(db.get(), options.busyTimeoutMs);
        execute(db.get(), "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON");
        // Each write step inside a batch is a savepoint, which keeps the first
        // image of every page it touches: in memory, not in a file of its own.
        execute(db.get(), "PRAGMA temp_store = MEMORY");
        // Room for every page of a long list (10,000 entries take some 3 MB):
        // a load reads each of them, and pages beyond SQLite's usual 2 MB are
        // read from the file afresh every time. Only pages read take memory.
        execute(db.get(), "PRAGMA cache_size = -16384");
    } catch (const SqliteFailure& failure) {
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        throw storeFailure(path, "open", failure);
    }

    const auto folders = XdgFolders::fromEnvironment();
    AutostartMirror mirror(options.autostartFolder.value_or(folders.configHome / "autostart"));
    auto store = std::make_shared<Store>(path, std::move(db), std::move(mirror), access.readOnly);
    std::unique_ptr<SqliteRegistry> registry(new SqliteRegistry(store));
    // Readers never wait for writers: the write lock is taken only to make the schema.
    if (schemaMissing)
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
        // Deeper keys could never be deleted whole; an existing one is still found above.
        if (names.size() > kMaxKeyDepth) throw keyTooDeep(path);
        try {
            id = store_->createKey(root, names);
        } catch (const SqliteFailure& failure) {
            throw store_->writeFailure(names.back(), failure);
        }
    }
    return std::make_unique<SqliteKey>(store_, *id, isRunKey(root, foldedNames));
}

bool SqliteRegistry::deleteKey(RegRoot root, const std::string& path) {
    const auto names = splitPath(path);
    if (names.empty()) throw RegistryError("A root key cannot be deleted");
    try {
        return store_->deleteKey(root, names);
    } catch (const SqliteFailure& failure) {
        throw store_->writeFailure(names.back(), failure);
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
