#include "vault/entry_store.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_registry.h"
#include "vault/entry_cipher.h"

namespace zn {
namespace {

using testing::FakeRegistry;

const std::string kKey = MakeVerifier("master password");

std::vector<BookmarkEntry> threeEntries() {
    return {{"http://a.example", "A", "ann", "pw1"},
            {"http://b.example", "B", "", ""},
            {"http://c.example", "", "carl", "pw3"}};
}

TEST(EntryStore, SaveWritesOneEncipheredStringPerEntryInListOrder) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    EXPECT_EQ(registry.valueNames(RegRoot::CurrentUser, kEntriesKeyPath),
              (std::vector<std::string>{"Favorite0", "Favorite1", "Favorite2"}));
    const auto stored = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, RegType::String);
    // The enciphered record plus one terminating zero.
    EXPECT_EQ(stored->data, Encipher("http://b.example|||B&&&@@@", kKey) + '\0');
}

TEST(EntryStore, SaveAndLoadRoundTrip) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    const auto loaded = loadAllEntries(registry, kKey);
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    EXPECT_EQ(loaded.entries, threeEntries());
}

TEST(EntryStore, CiphertextWithAZeroByteLoadsBackWhole) {
    FakeRegistry registry;
    // Under the empty key the second plain byte meets a draw of 86: 0xAA wraps to zero.
    const std::vector<BookmarkEntry> entries = {{"x\xAA", "desc after the zero", "u", "p"}};
    ASSERT_EQ(Encipher(JoinRecord(entries[0]), "")[2], '\0');
    saveAllEntries(registry, "", entries, {});
    EXPECT_EQ(loadAllEntries(registry, "").entries, entries);
}

TEST(EntryStore, NamesStayConsecutiveWhateverWasThereBefore) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    auto fewer = threeEntries();
    fewer.erase(fewer.begin());
    saveAllEntries(registry, kKey, fewer, {});
    EXPECT_EQ(registry.valueNames(RegRoot::CurrentUser, kEntriesKeyPath),
              (std::vector<std::string>{"Favorite0", "Favorite1"}));
    EXPECT_EQ(loadAllEntries(registry, kKey).entries, fewer);

    saveAllEntries(registry, kKey, {}, {});
    EXPECT_TRUE(registry.keyExists(RegRoot::CurrentUser, kEntriesKeyPath));
    EXPECT_TRUE(registry.valueNames(RegRoot::CurrentUser, kEntriesKeyPath).empty());
}

TEST(EntryStore, ARecordThatCannotBeSplitIsKeptUnderTheCurrentKey) {
    FakeRegistry registry;
    // "@@@" typed inside a site takes the site separator into the password.
    const BookmarkEntry unsplittable{"a@@@b", "desc", "user", "pw"};
    saveAllEntries(registry, kKey, {unsplittable, threeEntries()[0]}, {});
    auto loaded = loadAllEntries(registry, kKey);
    EXPECT_EQ(loaded.entries, (std::vector<BookmarkEntry>{threeEntries()[0]}));
    ASSERT_EQ(loaded.unread.unsplitRecords, std::vector<std::string>{JoinRecord(unsplittable)});

    // Saved again under a new key, it still reads under that key.
    const std::string newKey = MakeVerifier("new password");
    saveAllEntries(registry, newKey, loaded.entries, loaded.unread);
    EXPECT_EQ(
        Decipher(decodeStringData(
                     registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1")->data),
                 newKey),
        JoinRecord(unsplittable));
    EXPECT_FALSE(loadAllEntries(registry, newKey).stoppedAtInvalidValue);
}

TEST(EntryStore, ARecordWithoutSiteSeparatorIsSkipped) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1",
                      {RegType::String, Encipher("no separator here", kKey) + '\0'});
    const auto loaded = loadAllEntries(registry, kKey);
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    ASSERT_EQ(loaded.entries.size(), 2u);
    EXPECT_EQ(loaded.entries[1].site, "http://c.example");
}

TEST(EntryStore, AForeignValueStopsTheLoadAndIsKeptByTheNextSave) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    const std::string foreign = Encipher("http://x|||X&&&@@@", MakeVerifier("other")) + '\0';
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1",
                      {RegType::String, foreign});

    auto loaded = loadAllEntries(registry, kKey);
    EXPECT_TRUE(loaded.stoppedAtInvalidValue);
    ASSERT_EQ(loaded.entries.size(), 1u);
    ASSERT_EQ(loaded.unread.undeciphered.size(), 2u);

    // The user adds a row; the save must not lose the two values never read.
    loaded.entries.push_back({"http://new.example", "", "", ""});
    saveAllEntries(registry, kKey, loaded.entries, loaded.unread);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2")->data, foreign);
    const auto third = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite3");
    ASSERT_TRUE(third);
    EXPECT_EQ(Decipher(decodeStringData(third->data), kKey), JoinRecord(threeEntries()[2]));

    // Under the right key everything is still there.
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2",
                      {RegType::String, Encipher(JoinRecord(threeEntries()[1]), kKey) + '\0'});
    EXPECT_EQ(loadAllEntries(registry, kKey).entries.size(), 4u);
}

TEST(EntryStore, ASaveThatFailsHalfWayLeavesThePreviousList) {
    FakeRegistry registry;
    saveAllEntries(registry, kKey, threeEntries(), {});
    auto changed = threeEntries();
    changed.push_back({"http://d.example", "", "", ""});
    registry.failWritesAfter(2);
    EXPECT_THROW(saveAllEntries(registry, kKey, changed, {}), RegistryError);
    registry.stopFailing();
    EXPECT_EQ(loadAllEntries(registry, kKey).entries, threeEntries());
}

TEST(EntryStore, LoadOfAMissingKeyIsEmpty) {
    FakeRegistry registry;
    const auto loaded = loadAllEntries(registry, kKey);
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
}

}  // namespace
}  // namespace zn
