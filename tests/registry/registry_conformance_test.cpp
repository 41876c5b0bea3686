// The behaviour every registry store must share, run against the in-memory
// fake the rules' tests use and against the store the programs use: SQLite
// on Linux, the registry itself on Windows.
#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include "platform/win32/win32_registry.h"
#else
#include <sqlite3.h>

#include "platform/linux/sqlite_registry.h"
#endif
#include "tests/fakes/fake_registry.h"
#include "tests/registry/registry_test_support.h"
#include "vault/entry_store.h"

namespace zn::testing {
namespace {

struct FakeStore {
    FakeRegistry fake;
    Registry& registry() { return fake; }
    static constexpr bool kCanFailWrites = true;
    void failValueWritesAfter(int count) { fake.failWritesAfter(count); }
    static bool keepsCreationOrder() { return true; }
};

#ifdef _WIN32
// Wine's registry enumerates values by name; Windows' keeps creation order.
bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct Win32Store {
    std::unique_ptr<win32::Win32Registry> store = win32::Win32Registry::inSandbox(
        "Software\\ZintrelTests\\" + std::to_string(GetCurrentProcessId()));
    Registry& registry() { return *store; }
    // Nothing makes the real registry refuse one write half-way through.
    static constexpr bool kCanFailWrites = false;
    void failValueWritesAfter(int) {}
    static bool keepsCreationOrder() { return !runningUnderWine(); }
};
using NativeStore = Win32Store;
#else
struct SqliteStore {
    TempFolder folder;
    std::unique_ptr<SqliteRegistry> store = SqliteRegistry::open(
        (folder / "registry.db").string(),
        {.busyTimeoutMs = 5000,
         .autostartFolder = folder / "autostart",
         .shellFolders = ShellFolderPaths{"/desktop", "/start", "/favorites"}});
    Registry& registry() { return *store; }

    // Another connection installs a trigger, the way a full disk or a
    // foreign writer would make the store refuse a write half-way.
    void failValueWritesAfter(int count) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(store->path().c_str(), &db), SQLITE_OK);
        const std::string sql =
            "CREATE TRIGGER fail_writes BEFORE INSERT ON registry_values "
            "WHEN (SELECT count(*) FROM registry_values WHERE key_id = NEW.key_id) >= " +
            std::to_string(count) + " BEGIN SELECT RAISE(ABORT, 'refused'); END";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    static constexpr bool kCanFailWrites = true;
    static bool keepsCreationOrder() { return true; }
};
using NativeStore = SqliteStore;
#endif

template <typename Store>
class RegistryConformance : public ::testing::Test {
protected:
    Registry& registry() { return store_.registry(); }
    std::unique_ptr<RegistryKey> key(const std::string& path) {
        return registry().openKey(RegRoot::CurrentUser, path, true);
    }
    Store store_;
};

using Stores = ::testing::Types<FakeStore, NativeStore>;
TYPED_TEST_SUITE(RegistryConformance, Stores);

TYPED_TEST(RegistryConformance, NamesIgnoreLetterCaseAndKeepTheFirstSpelling) {
    this->key("Software\\Halvorn")->writeString("MixedCase", "first");
    const auto again = this->registry().openKey(RegRoot::CurrentUser, "SOFTWARE\\halvorn", false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->readString("mixedCASE"), "first");
    again->writeString("MIXEDCASE", "second");
    EXPECT_EQ(again->valueNames(), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(again->readString("MixedCase"), "second");
}

TYPED_TEST(RegistryConformance, LongNamesAreFoundRewrittenAndDeleted) {
    // Longer than any string kept inside the string object itself.
    const std::string name = "A Value Name Well Past Sixteen Bytes";
    const auto handle = this->key("Software\\Halvorn\\A Key Name Well Past Sixteen Bytes");
    handle->writeString(name, "first");
    handle->writeString(name, "second");
    const auto again = this->registry().openKey(
        RegRoot::CurrentUser, "software\\halvorn\\a key name well past sixteen bytes", false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->readString("a value name well past sixteen bytes"), "second");
    EXPECT_EQ(again->valueNames().size(), 1u);
    EXPECT_TRUE(again->deleteValue(name));
    EXPECT_FALSE(again->readValue(name));
}

TYPED_TEST(RegistryConformance, PathsIgnoreLeadingAndEmptySeparators) {
    this->key("\\A\\\\B\\")->writeInteger("n", 7);
    const auto same = this->registry().openKey(RegRoot::CurrentUser, "a\\b", false);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->readInteger("N"), 7u);
}

TYPED_TEST(RegistryConformance, OpenWithoutCreateOnMissingKeyGivesNothing) {
    EXPECT_EQ(this->registry().openKey(RegRoot::CurrentUser, "Missing\\Key", false), nullptr);
    this->key("Made\\Deep\\Down");
    EXPECT_TRUE(this->registry().openKey(RegRoot::CurrentUser, "Made\\Deep", false));
    EXPECT_EQ(this->registry().openKey(RegRoot::LocalMachine, "Made", false), nullptr);
}

TYPED_TEST(RegistryConformance, ValuesKeepCreationOrderAndAnOverwriteKeepsItsPlace) {
    if (!TypeParam::keepsCreationOrder()) GTEST_SKIP() << "this registry orders values by name";
    auto key = this->key("Order");
    for (const char* name : {"c", "a", "b"}) key->writeString(name, name);
    key->writeString("A", "again");
    EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_TRUE(key->deleteValue("C"));
    EXPECT_FALSE(key->deleteValue("c"));
    key->writeString("c", "back");
    EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"a", "b", "c"}));
}

TYPED_TEST(RegistryConformance, DataKeepsEveryByte) {
    auto key = this->key("Bytes");
    const std::string text("a\0b\xFF\0", 5);
    key->writeString("text", text);
    EXPECT_EQ(key->readString("text"), text);
    EXPECT_EQ(key->readValue("text")->data, text + '\0');

    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    key->writeValue("binary", {RegType::Binary, allBytes});
    key->writeValue("empty", {RegType::Binary, ""});
    EXPECT_EQ(key->readValue("binary")->data, allBytes);
    EXPECT_EQ(key->readValue("empty")->type, RegType::Binary);
    EXPECT_EQ(key->readValue("empty")->data, "");

    key->writeString("", "the default");
    EXPECT_EQ(key->readDefault(), "the default");
}

TYPED_TEST(RegistryConformance, WrongTypeReadsRaiseInvalidDataType) {
    auto key = this->key("Types");
    key->writeInteger("Count", 3);
    key->writeString("Name", "x");
    key->writeValue("Expand", {RegType::ExpandString, encodeStringData("%HOME%")});
    try {
        key->readString("Count");
        FAIL() << "a number read as a string";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Count'");
    }
    try {
        key->readInteger("Name");
        FAIL() << "a string read as a number";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Name'");
    }
    EXPECT_EQ(key->readString("Expand"), "%HOME%");
    EXPECT_EQ(key->readString("Missing"), "");
    EXPECT_EQ(key->readInteger("Missing"), std::nullopt);
}

TYPED_TEST(RegistryConformance, DeleteKeyDeletesTheWholeTreeAndNothingBeside) {
    this->key("Tree\\Branch\\Leaf")->writeString("v", "1");
    this->key("Tree\\Branch")->writeString("v", "2");
    this->key("TreeHouse")->writeString("v", "3");
    EXPECT_TRUE(this->registry().deleteKey(RegRoot::CurrentUser, "\\tree"));
    EXPECT_EQ(this->registry().openKey(RegRoot::CurrentUser, "Tree", false), nullptr);
    EXPECT_EQ(this->registry().openKey(RegRoot::CurrentUser, "Tree\\Branch\\Leaf", false), nullptr);
    EXPECT_EQ(this->key("TreeHouse")->readString("v"), "3");
    EXPECT_FALSE(this->registry().deleteKey(RegRoot::CurrentUser, "Tree"));
    // A key made again at the same place starts empty.
    EXPECT_TRUE(this->key("Tree\\Branch")->valueNames().empty());
}

TYPED_TEST(RegistryConformance, WriteThroughTheHandleOfADeletedKeyFails) {
    auto key = this->key("Doomed");
    key->writeString("kept", "x");
    this->registry().deleteKey(RegRoot::CurrentUser, "Doomed");
    EXPECT_EQ(key->readValue("kept"), std::nullopt);
    try {
        key->writeString("late", "y");
        FAIL() << "a write to a deleted key succeeded";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'late'");
    }
}

TYPED_TEST(RegistryConformance, BatchLandsWholeOrNotAtAll) {
    auto key = this->key("Batch");
    key->writeString("before", "old");
    {
        const auto batch = this->registry().beginBatch();
        key->writeString("before", "new");
        key->writeString("added", "x");
        this->registry().deleteKey(RegRoot::CurrentUser, "Batch");
    }  // not committed
    // On Windows a deleted key's handle stays dead even once the key is back.
    key = this->key("Batch");
    EXPECT_EQ(key->valueNames(), std::vector<std::string>{"before"});
    EXPECT_EQ(key->readString("before"), "old");
    {
        const auto batch = this->registry().beginBatch();
        key->writeString("before", "new");
        key->writeString("added", "x");
        batch->commit();
    }
    EXPECT_EQ(key->readString("before"), "new");
    EXPECT_EQ(key->readString("added"), "x");
}

TYPED_TEST(RegistryConformance, ASecondBatchIsRefusedAndTheFirstStillRollsBack) {
    auto key = this->key("Batch");
    {
        const auto batch = this->registry().beginBatch();
        key->writeString("before", "x");
        EXPECT_THROW(this->registry().beginBatch(), RegistryError);
        key->writeString("after", "y");
    }  // not committed
    EXPECT_TRUE(key->valueNames().empty());

    auto finished = this->registry().beginBatch();
    finished->commit();
    {
        const auto batch = this->registry().beginBatch();
        key->writeString("before", "x");
        finished.reset();  // a finished batch going leaves the open one alone
        key->writeString("after", "y");
    }  // not committed
    EXPECT_TRUE(key->valueNames().empty());
}

// Outside a batch nothing promises the old values back: a store may land the
// rewrite whole or stop at the value that failed, never anything between.
TYPED_TEST(RegistryConformance, ReplaceContentsFailingOutsideABatchStopsAtTheFailedValue) {
    if (!TypeParam::kCanFailWrites) GTEST_SKIP() << "this store cannot be made to fail";
    auto key = this->key("Rewritten");
    key->writeString("a", "1");
    key->writeString("b", "2");
    this->store_.failValueWritesAfter(2);
    try {
        key->replaceContents({{"x", {RegType::String, "7"}},
                              {"y", {RegType::String, "8"}},
                              {"z", {RegType::String, "9"}}});
        FAIL() << "a refused write was reported as written";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'z'");
    }
    const auto names = key->valueNames();
    EXPECT_TRUE(names == (std::vector<std::string>{"a", "b"}) ||
                names == (std::vector<std::string>{"x", "y"}))
        << ::testing::PrintToString(names);
}

TYPED_TEST(RegistryConformance, EntryStoreKeepsCiphertextsWithZeroBytes) {
    const std::vector<BookmarkEntry> entries{entryWithZeroInCiphertext(),
                                             {"https://b.example/", "B", "bob", "secret"}};
    const std::string cipher = Encipher(JoinRecord(entries[0]), sampleVerifier());
    ASSERT_NE(cipher.find('\0'), std::string::npos);

    saveAllEntries(this->registry(), sampleVerifier(), entries, {});
    const auto stored = this->registry().openKey(RegRoot::CurrentUser, kEntriesKeyPath, false);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->readValue("Favorite0")->data, cipher + '\0');

    const LoadedEntries loaded = loadAllEntries(this->registry(), sampleVerifier());
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    EXPECT_EQ(loaded.entries, entries);
}

TYPED_TEST(RegistryConformance, SaveFailingHalfWayLeavesThePreviousList) {
    if (!TypeParam::kCanFailWrites) GTEST_SKIP() << "this store cannot be made to fail";
    const std::vector<BookmarkEntry> previous{{"https://a.example/", "A", "", ""},
                                              {"https://b.example/", "B", "", ""}};
    saveAllEntries(this->registry(), sampleVerifier(), previous, {});
    std::vector<BookmarkEntry> longer = previous;
    longer[0].description = "Z";  // the same length: overwritten in place, and undone too
    for (int i = 0; i < 5; ++i)
        longer.push_back({"https://n" + std::to_string(i) + ".example/", "", "", ""});

    this->store_.failValueWritesAfter(3);
    EXPECT_THROW(saveAllEntries(this->registry(), sampleVerifier(), longer, {}), RegistryError);
    EXPECT_EQ(loadAllEntries(this->registry(), sampleVerifier()).entries, previous);
}

TYPED_TEST(RegistryConformance, KeysNestAtMost512LevelsAndADeeperOneWritesNothing) {
    std::string path = "Deep";
    for (std::size_t depth = 2; depth <= kMaxKeyDepth; ++depth) path += "\\k";
    EXPECT_TRUE(this->key(path));
    try {
        this->key("Other\\" + path);
        FAIL() << "made a key 513 levels deep";
    } catch (const RegistryError& error) {
        EXPECT_NE(std::string(error.what()).find("is nested deeper than 512 levels"),
                  std::string::npos)
            << error.what();
        EXPECT_LT(std::string(error.what()).size(), 400u);
    }
    EXPECT_EQ(this->registry().openKey(RegRoot::CurrentUser, "Other", false), nullptr);
}

// Values of other keys may lie between the rewritten ones in the store.
TYPED_TEST(RegistryConformance, ReplaceContentsLeavesOtherKeysAlone) {
    auto key = this->key("Rewritten");
    auto other = this->key("Other");
    key->writeString("a", "1");
    other->writeString("x", "kept");
    key->writeString("b", "2");
    key->replaceContents({{"a", {RegType::String, "111"}}, {"b", {RegType::String, "222"}}});
    EXPECT_EQ(key->readString("a"), "111");
    EXPECT_EQ(key->readString("b"), "222");
    EXPECT_EQ(other->readString("x"), "kept");
}

// What deleting a key and writing it afresh gives, whatever was there before.
TYPED_TEST(RegistryConformance, ReplaceContentsLeavesExactlyTheGivenValues) {
    using Values = std::vector<NamedValue>;
    const auto text = [](const std::string& data) { return RegValue{RegType::String, data}; };
    struct Case {
        const char* what;
        Values before;
        Values after;
        Values expected;
    };
    const std::vector<Case> cases{
        {"fewer, one changed",
         {{"a", text("1")}, {"b", text("2")}, {"c", text("3")}},
         {{"a", text("1")}, {"b", text("9")}},
         {{"a", text("1")}, {"b", text("9")}}},
        {"every value changed, lengths kept",
         {{"a", text("1")}, {"b", text("22")}, {"c", {RegType::Binary, "3"}}},
         {{"a", text("9")}, {"b", text("88")}, {"c", {RegType::Binary, "7"}}},
         {{"a", text("9")}, {"b", text("88")}, {"c", {RegType::Binary, "7"}}}},
        {"lengths changed, one value kept between",
         {{"a", text("1")}, {"b", text("2")}, {"c", text("3")}, {"d", text("4")}},
         {{"a", text("11")}, {"b", text("2")}, {"c", text("")}, {"d", text("444")}},
         {{"a", text("11")}, {"b", text("2")}, {"c", text("")}, {"d", text("444")}}},
        {"more",
         {{"a", text("1")}},
         {{"a", text("1")}, {"b", text("2")}, {"c", {RegType::ExpandString, "%x%"}}},
         {{"a", text("1")}, {"b", text("2")}, {"c", {RegType::ExpandString, "%x%"}}}},
        {"other order",
         {{"a", text("1")}, {"b", text("2")}},
         {{"b", text("2")}, {"a", text("1")}},
         {{"b", text("2")}, {"a", text("1")}}},
        {"other letter case and type",
         {{"name", text("1")}},
         {{"NAME", {RegType::Binary, "1"}}},
         {{"NAME", {RegType::Binary, "1"}}}},
        {"a name twice",
         {},
         {{"a", text("1")}, {"b", text("2")}, {"A", text("3")}},
         {{"a", text("3")}, {"b", text("2")}}},
        {"nothing", {{"a", text("1")}}, {}, {}},
    };
    for (auto [what, before, after, expected] : cases) {
        SCOPED_TRACE(what);
        this->registry().deleteKey(RegRoot::CurrentUser, "Rewritten");
        auto key = this->key("Rewritten");
        for (const auto& [name, value] : before) key->writeValue(name, value);
        this->key("Rewritten\\Sub\\Deeper")->writeString("v", "x");
        key->replaceContents(after);

        Values found;
        for (const auto& name : key->valueNames()) found.push_back({name, *key->readValue(name)});
        // Read whole, a string's type comes another way than any other's.
        std::vector<RegValue> inOrder;
        const auto visitInto = [](std::vector<RegValue>& values) {
            return [&values](RegType type, std::string_view data) {
                values.push_back({type, std::string(data)});
            };
        };
        key->forEachValue(visitInto(inOrder));
        if (!TypeParam::keepsCreationOrder()) {
            // Only the set of values can be compared: sort all three by name.
            const auto byName = [](const NamedValue& a, const NamedValue& b) {
                return a.name < b.name;
            };
            std::sort(found.begin(), found.end(), byName);
            std::sort(expected.begin(), expected.end(), byName);
            inOrder.clear();
            for (const auto& value : key->valueNames()) inOrder.push_back(*key->readValue(value));
            std::vector<RegValue> visited;
            key->forEachValue(visitInto(visited));
            EXPECT_EQ(visited, inOrder) << "forEachValue and valueNames disagree on the order";
            inOrder.clear();
            for (const auto& value : found) inOrder.push_back(value.value);
        }
        ASSERT_EQ(found.size(), expected.size());
        ASSERT_EQ(inOrder.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(found[i].name, expected[i].name);
            EXPECT_EQ(found[i].value, expected[i].value);
            EXPECT_EQ(inOrder[i], expected[i].value);
        }
        EXPECT_EQ(this->registry().openKey(RegRoot::CurrentUser, "Rewritten\\Sub", false), nullptr);
    }
}

}  // namespace
}  // namespace zn::testing
