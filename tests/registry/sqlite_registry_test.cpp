// What only the SQLite store has to get right: the file itself, sharing it
// between processes, refusing files that are not ours, the first seeding.
#include "platform/linux/sqlite_registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "platform/linux/registry_location.h"
#include "tests/registry/registry_test_support.h"
#include "vault/entry_store.h"

namespace zn::testing {
namespace {

unsigned modeOf(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

class RawConnection {
public:
    explicit RawConnection(const std::filesystem::path& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &db_), SQLITE_OK);
    }
    ~RawConnection() { sqlite3_close(db_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    int execute(const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    }
    int count(const std::string& sql) {
        int result = -1;
        sqlite3_exec(
            db_, sql.c_str(),
            [](void* out, int, char** values, char**) {
                *static_cast<int*>(out) = std::atoi(values[0]);
                return 0;
            },
            &result, nullptr);
        return result;
    }

private:
    sqlite3* db_ = nullptr;
};

class SqliteRegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<SqliteRegistry> open(int busyTimeoutMs = 5000) {
        return SqliteRegistry::open(storePath().string(),
                                    {.busyTimeoutMs = busyTimeoutMs,
                                     .autostartFolder = folder_ / "autostart",
                                     .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
    }
    std::filesystem::path storePath() const { return folder_ / "data" / "zintrel" / "registry.db"; }

    void expectOpenRefused(const std::string& expectedText) {
        try {
            open(100);
            FAIL() << "opened " << storePath();
        } catch (const RegistryError& error) {
            EXPECT_NE(std::string(error.what()).find(expectedText), std::string::npos)
                << error.what();
            EXPECT_NE(std::string(error.what()).find(storePath().string()), std::string::npos);
        }
    }

    TempFolder folder_;
};

TEST_F(SqliteRegistryTest, NewStoreIsPrivateWhateverTheUmask) {
    const mode_t previous = ::umask(0);
    open();
    ::umask(previous);
    EXPECT_EQ(modeOf(storePath()), 0600u);
    EXPECT_EQ(modeOf(storePath().parent_path()), 0700u);
    EXPECT_EQ(modeOf(storePath().parent_path().parent_path()), 0700u);
}

// A store restored with cp, or a folder made by hand: what is open to others
// is closed, the -wal and -shm files with it, and the user is told once.
TEST_F(SqliteRegistryTest, AnExistingStoreOpenToOthersIsMadePrivate) {
    struct Case {
        const char* what;
        unsigned file, folder;
        bool folderSharedWithOtherFiles;
        unsigned fileAfter, folderAfter;
        bool told;
    };
    const std::vector<Case> cases{
        {"copied store", 0644, 0755, false, 0600, 0700, true},
        {"only the folder", 0600, 0750, false, 0600, 0700, true},
        {"folder of other files too", 0640, 0755, true, 0600, 0755, true},
        {"already private", 0600, 0700, false, 0600, 0700, false},
        {"read-only stays so", 0400, 0700, false, 0400, 0700, false},
    };
    open();
    const auto folder = storePath().parent_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.folderSharedWithOtherFiles) writeFile(folder / "notes.txt", "mine");
        RawConnection other(storePath());  // keeps the -wal and -shm files there
        ASSERT_EQ(other.execute("SELECT count(*) FROM registry_keys"), SQLITE_OK);
        for (const char* suffix : {"", "-wal", "-shm"})
            ASSERT_EQ(::chmod((storePath().string() + suffix).c_str(), c.file), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folder), 0);

        std::vector<std::string> notices;
        SqliteRegistry::open(storePath().string(),
                             {.busyTimeoutMs = 5000,
                              .autostartFolder = folder_ / "autostart",
                              .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}},
                             [&](const std::string& text) { notices.push_back(text); });
        EXPECT_EQ(modeOf(storePath()), c.fileAfter);
        for (const char* suffix : {"-wal", "-shm"})
            EXPECT_EQ(modeOf(storePath().string() + suffix), c.fileAfter);
        EXPECT_EQ(modeOf(folder), c.folderAfter);
        ASSERT_EQ(notices.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_NE(notices[0].find(storePath().string()), std::string::npos);
        }
        std::filesystem::remove(folder / "notes.txt");
        ::chmod(storePath().c_str(), 0600);
    }
}

TEST_F(SqliteRegistryTest, ALinkToAnotherUsersFileIsRefused) {
    std::filesystem::create_directories(storePath().parent_path());
    // Someone else's file: root can give one away, anyone else finds one.
    std::filesystem::path foreign = "/etc/passwd";
    if (::geteuid() == 0) {
        foreign = folder_ / "foreign.db";
        writeFile(foreign, "");
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    const std::string before = readFile(foreign);
    std::filesystem::create_symlink(foreign, storePath());
    expectOpenRefused("is a link to a file owned by another user");
    EXPECT_EQ(readFile(foreign), before);

    // A link to the user's own store is fine.
    std::filesystem::remove(storePath());
    std::filesystem::create_symlink(folder_ / "mine.db", storePath());
    writeFile(folder_ / "mine.db", "");
    open()->openKey(RegRoot::CurrentUser, "Through", true)->writeString("v", "x");
    EXPECT_GT(std::filesystem::file_size(folder_ / "mine.db"), 0u);
}

// Reads go on; every write says why it cannot be done, and nothing is left
// behind that would keep failing once the user gives write permission back.
TEST_F(SqliteRegistryTest, AReadOnlyStoreIsReadAndRefusesWritesClearly) {
    open()->openKey(RegRoot::CurrentUser, "Software", true)->writeString("Kept", "k");
    const auto folder = storePath().parent_path();
    const std::vector<std::pair<std::filesystem::path, unsigned>> readOnly{{storePath(), 0400},
                                                                           {folder, 0500}};
    for (const auto& [path, mode] : readOnly) {
        SCOPED_TRACE(path);
        const unsigned previous = modeOf(path);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        {
            const auto registry = open(100);
            const auto key = registry->openKey(RegRoot::CurrentUser, "Software", false);
            ASSERT_TRUE(key);
            EXPECT_EQ(key->readString("Kept"), "k");
            const std::string readOnlyText = "The store " + storePath().string() + " is read-only";
            for (const auto& write : std::vector<std::function<void()>>{
                     [&] { key->writeString("New", "n"); }, [&] { registry->beginBatch(); },
                     [&] { registry->openKey(RegRoot::CurrentUser, "Made", true); },
                     [&] { registry->deleteKey(RegRoot::CurrentUser, "Software"); }}) {
                try {
                    write();
                    ADD_FAILURE() << "wrote into a read-only store";
                } catch (const RegistryError& error) {
                    EXPECT_EQ(error.what(), readOnlyText);
                }
            }
        }
        EXPECT_FALSE(std::filesystem::exists(storePath().string() + "-wal"));
        EXPECT_FALSE(std::filesystem::exists(storePath().string() + "-shm"));
        ASSERT_EQ(::chmod(path.c_str(), previous), 0);
        open()->openKey(RegRoot::CurrentUser, "Software", false)->writeString("New", "n");
    }

    // A store that was never made cannot be made read-only.
    std::filesystem::remove(storePath());
    writeFile(storePath(), "");
    ::chmod(storePath().c_str(), 0400);
    expectOpenRefused("is read-only");
}

TEST_F(SqliteRegistryTest, FilesThatAreNotOursAreRefusedAndLeftUnchanged) {
    std::filesystem::create_directories(storePath().parent_path());
    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string fakeHeader("SQLite format 3\0", 16);
    fakeHeader += std::string(4080, 'x');
    const std::vector<std::pair<std::string, std::string>> contents{
        {"text", "Just some notes\nnot a database\n"},
        {"random", noise},
        {"header only", fakeHeader},
    };
    for (const auto& [what, bytes] : contents) {
        SCOPED_TRACE(what);
        writeFile(storePath(), bytes);
        expectOpenRefused("is not a registry database");
        EXPECT_EQ(readFile(storePath()), bytes);
    }

    std::filesystem::remove(storePath());
    {
        RawConnection foreign(storePath());
        ASSERT_EQ(foreign.execute("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('x')"),
                  SQLITE_OK);
    }
    const std::string before = readFile(storePath());
    expectOpenRefused("is not a registry database");
    EXPECT_EQ(readFile(storePath()), before);
}

TEST_F(SqliteRegistryTest, ReadersNeverWaitForAWriterAndWritesFailClearly) {
    const auto registry = open(100);
    const auto key = registry->openKey(RegRoot::CurrentUser, "Software\\Halvorn", true);
    key->writeString("Kept", "k");
    RawConnection other(storePath());
    ASSERT_EQ(other.execute("BEGIN IMMEDIATE"), SQLITE_OK);

    // Another program starting up, or a query, opens and reads at once.
    const auto reader = open(100);
    EXPECT_EQ(reader->openKey(RegRoot::CurrentUser, "software\\halvorn", false)->readString("Kept"),
              "k");
    try {
        registry->beginBatch();
        FAIL() << "a batch began in a locked store";
    } catch (const RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find("is locked by another program"),
                  std::string::npos);
    }
    try {
        key->writeString("Name", "x");
        FAIL() << "wrote into a locked store";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Name'");
    }
    // Readers are not held up by a writer.
    EXPECT_EQ(key->readValue("Name"), std::nullopt);

    other.execute("ROLLBACK");
    key->writeString("Name", "x");
    EXPECT_EQ(key->readString("Name"), "x");
}

TEST_F(SqliteRegistryTest, TwoOpenStoresSeeEachOthersChanges) {
    const auto first = open();
    const auto second = open();
    const auto firstKey = first->openKey(RegRoot::CurrentUser, "Shared", true);
    firstKey->writeString("a", "1");
    const auto secondKey = second->openKey(RegRoot::CurrentUser, "shared", false);
    ASSERT_TRUE(secondKey);
    EXPECT_EQ(secondKey->readString("A"), "1");

    {
        const auto batch = second->beginBatch();
        secondKey->writeString("b", "2");
        EXPECT_EQ(firstKey->readValue("b"), std::nullopt);  // not yet committed
        batch->commit();
    }
    EXPECT_EQ(firstKey->valueNames(), (std::vector<std::string>{"a", "b"}));

    // Deleted and made again elsewhere: the old handle must not write into the new key.
    second->deleteKey(RegRoot::CurrentUser, "Shared");
    second->openKey(RegRoot::CurrentUser, "Shared", true);
    EXPECT_THROW(firstKey->writeString("c", "3"), RegistryError);
}

// The first program to make a new store holds its write lock while it
// switches the file to its journal mode; a second one opening meanwhile must
// wait for it like for any other writer, not give up at once.
TEST_F(SqliteRegistryTest, OpeningWaitsForAProgramStillCreatingTheStore) {
    ::mkdir(storePath().parent_path().parent_path().c_str(), 0700);
    ::mkdir(storePath().parent_path().c_str(), 0700);
    ::close(::open(storePath().c_str(), O_WRONLY | O_CREAT, 0600));
    RawConnection creator(storePath());
    ASSERT_EQ(creator.execute("BEGIN IMMEDIATE"), SQLITE_OK);
    std::thread finish([&creator] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        creator.execute("COMMIT");
    });
    std::unique_ptr<SqliteRegistry> registry;
    EXPECT_NO_THROW(registry = open(5000));
    finish.join();
    ASSERT_TRUE(registry);
    EXPECT_TRUE(registry->openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, false));
}

TEST_F(SqliteRegistryTest, DataOutlivesTheStoreObject) {
    open()->openKey(RegRoot::ClassesRoot, ".halvorn", true)->writeString("", "Halvorn.File");
    const auto reopened = open();
    EXPECT_EQ(reopened->openKey(RegRoot::ClassesRoot, ".HALVORN", false)->readDefault(),
              "Halvorn.File");
    EXPECT_EQ(reopened->openKey(RegRoot::CurrentUser, ".halvorn", false), nullptr);
}

TEST_F(SqliteRegistryTest, ShellFoldersAreSeededOnlyWhenTheStoreIsCreated) {
    {
        const auto registry = open();
        const auto shell = registry->openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, false);
        ASSERT_TRUE(shell);
        EXPECT_EQ(shell->readString("Desktop"), "/d");
        EXPECT_EQ(shell->readString("Start Menu"), "/s");
        EXPECT_EQ(shell->readValue("Desktop")->type, RegType::String);
        const auto user = registry->openKey(RegRoot::CurrentUser, kUserShellFoldersKeyPath, false);
        EXPECT_EQ(user->readString("Favorites"), "/f");
        shell->writeString("Desktop", "/moved");
        user->deleteValue("Favorites");
    }
    const auto reopened = open();
    EXPECT_EQ(
        reopened->openKey(RegRoot::CurrentUser, kShellFoldersKeyPath, false)->readString("Desktop"),
        "/moved");
    EXPECT_EQ(reopened->openKey(RegRoot::CurrentUser, kUserShellFoldersKeyPath, false)
                  ->readValue("Favorites"),
              std::nullopt);
}

TEST_F(SqliteRegistryTest, BatchesDoNotNestAndRootsCannotBeDeleted) {
    const auto registry = open();
    const auto batch = registry->beginBatch();
    EXPECT_THROW(registry->beginBatch(), RegistryError);
    EXPECT_THROW(registry->deleteKey(RegRoot::CurrentUser, "\\"), RegistryError);
}

TEST_F(SqliteRegistryTest, SubKeysAreListedAlphabeticallyWithTheirStoredNames) {
    const auto registry = open();
    for (const char* name : {"Zeta", "alpha", "Beta"})
        registry->openKey(RegRoot::LocalMachine, std::string("Soft\\") + name + "\\Deeper", true);
    EXPECT_EQ(registry->subKeyNames(RegRoot::LocalMachine, "SOFT"),
              (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
    EXPECT_EQ(registry->storedPath(RegRoot::LocalMachine, "soft\\ZETA"), "\\Soft\\Zeta");
    EXPECT_TRUE(registry->subKeyNames(RegRoot::LocalMachine, "Nowhere").empty());
}

// A chain made before depths were limited, deeper than the 1,000 levels of
// triggers SQLite runs cascades through: a save must still replace it.
TEST_F(SqliteRegistryTest, AChainDeeperThanSqliteCascadesIsDeletedAndTheVaultSavesAgain) {
    const auto registry = open();
    registry->openKey(RegRoot::CurrentUser, kEntriesKeyPath, true)->writeString("Favorite0", "x");
    registry->openKey(RegRoot::CurrentUser, "Deep", true);
    const auto countKeys = [&] {
        RawConnection raw(storePath());
        return raw.count("SELECT count(*) FROM registry_keys");
    };
    const int keysBefore = countKeys();
    const auto addChain = [&](const std::string& topId) {
        RawConnection raw(storePath());
        ASSERT_EQ(raw.execute("WITH RECURSIVE chain (n, id) AS ("
                              "SELECT 1, (SELECT max(id) FROM registry_keys) + 1 UNION ALL "
                              "SELECT n + 1, id + 1 FROM chain WHERE n < 1100) "
                              "INSERT INTO registry_keys (id, parent, name, folded) "
                              "SELECT id, CASE n WHEN 1 THEN (" +
                              topId + ") ELSE id - 1 END, 'k', 'k' FROM chain"),
                  SQLITE_OK);
    };
    addChain(
        "SELECT k.id FROM registry_keys k JOIN registry_keys p ON k.parent = p.id "
        "WHERE k.folded = 'bookmarks' AND p.folded = 'bookmarks'");
    addChain("SELECT id FROM registry_keys WHERE folded = 'deep'");
    ASSERT_EQ(countKeys(), keysBefore + 2200);

    saveAllEntries(*registry, sampleVerifier(), {{"https://a.example/", "A", "", ""}}, {});
    EXPECT_EQ(loadAllEntries(*registry, sampleVerifier()).entries.size(), 1u);
    EXPECT_TRUE(registry->subKeyNames(RegRoot::CurrentUser, kEntriesKeyPath).empty());
    EXPECT_TRUE(registry->deleteKey(RegRoot::CurrentUser, "Deep"));
    EXPECT_EQ(countKeys(), keysBefore - 1);
}

// --- where things are

TEST(RegistryLocation, FollowsTheEnvironment) {
    ScopedEnvironment home("HOME", "/home/tester");
    ScopedEnvironment data("XDG_DATA_HOME", std::nullopt);
    ScopedEnvironment config("XDG_CONFIG_HOME", "relative/is/ignored");
    ScopedEnvironment store("ZINTREL_REGISTRY", "");
    EXPECT_EQ(registryLocation(), "/home/tester/.local/share/zintrel/registry.db");
    EXPECT_EQ(XdgFolders::fromEnvironment().configHome, "/home/tester/.config");
    {
        ScopedEnvironment dataSet("XDG_DATA_HOME", "/xdg/data");
        EXPECT_EQ(registryLocation(), "/xdg/data/zintrel/registry.db");
    }
    ScopedEnvironment storeSet("ZINTREL_REGISTRY", "/elsewhere/test.db");
    EXPECT_EQ(registryLocation(), "/elsewhere/test.db");
}

TEST(ShellFolderPaths, DesktopComesFromUserDirsWithHomeExpanded) {
    EXPECT_EQ(desktopFolderFromUserDirs("# comment\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n", "/home/u"),
              "/home/u/Bureau");
    EXPECT_EQ(desktopFolderFromUserDirs("XDG_DESKTOP_DIR=\"/data/My \\\"Desk\\\"\"\r\n", "/h"),
              "/data/My \"Desk\"");
    EXPECT_EQ(desktopFolderFromUserDirs("XDG_DOWNLOAD_DIR=\"$HOME/Dl\"\n", "/h"), "");
    EXPECT_EQ(desktopFolderFromUserDirs("XDG_DESKTOP_DIR=\"$HOME\"\n", "/h"), "/h");

    TempFolder folder;
    const XdgFolders folders{folder / "home", folder / "data", folder / "config"};
    EXPECT_EQ(ShellFolderPaths::fromFolders(folders).desktop, (folder / "home/Desktop").string());
    std::filesystem::create_directories(folders.configHome);
    writeFile(folders.configHome / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    const auto paths = ShellFolderPaths::fromFolders(folders);
    EXPECT_EQ(paths.desktop, (folder / "home/Schreibtisch").string());
    EXPECT_EQ(paths.startMenu, (folder / "data/applications").string());
    EXPECT_EQ(paths.favorites, (folder / "home/Favorites").string());
}

}  // namespace
}  // namespace zn::testing
