// The crypto port against published vectors, and the protected format
// against fixed vectors made by an independent reader (a short script over
// another library), so that docs/vault-format.md, the Linux build and the
// Windows build all agree byte for byte.
#include "vault/protected_vault.h"

#include <gtest/gtest.h>

#include "platform/crypto.h"
#include "tests/fakes/fake_registry.h"
#include "vault/base64.h"
#include "vault/entry_store.h"

namespace zn {
namespace {

using testing::FakeRegistry;

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16)));
    return bytes;
}

std::string byteRun(int first, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(first + i));
    return bytes;
}

TEST(CryptoPort, MatchesThePublishedVectors) {
    // RFC 7914, section 11, the first PBKDF2-HMAC-SHA256 vector.
    EXPECT_EQ(crypto::pbkdf2Sha256("passwd", "salt", 1, 64).view(),
              fromHex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                      "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
    // The GCM specification's test case 16: AES-256, a 96-bit nonce, associated data.
    crypto::Aes256Gcm aead(
        fromHex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308"));
    const std::string nonce = fromHex("cafebabefacedbaddecaf888");
    const std::string associated = fromHex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const std::string plain = fromHex(
        "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
        "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    std::string sealed;
    aead.seal(nonce, associated, plain, sealed);
    EXPECT_EQ(sealed, fromHex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                              "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
                              "76fc6ece0f4e1768cddf8853bb2d551b"));
    std::string opened;
    EXPECT_TRUE(aead.open(nonce, associated, sealed, opened));
    EXPECT_EQ(opened, plain);
    EXPECT_FALSE(aead.open(nonce, "other", sealed, opened));
    EXPECT_TRUE(opened.empty());
    // A tag over no text at all is checked as well.
    std::string tagOnly;
    aead.seal(nonce, associated, {}, tagOnly);
    EXPECT_TRUE(aead.open(nonce, associated, tagOnly, opened));
    EXPECT_FALSE(aead.open(nonce, "other", tagOnly, opened));

    EXPECT_NE(crypto::randomBytes(16), crypto::randomBytes(16));
}

struct FormatVector {
    const char* name;
    std::string password;
    std::uint32_t iterations;
    std::string salt;
    std::string checkNonce;
    std::string entryNonce;
    std::string record;
    std::string header;  // the "Password" text
    std::string entry;   // the entry's text
};

std::vector<FormatVector> formatVectors() {
    return {
        // The worked example of docs/vault-format.md, at the cost a new vault gets.
        {"worked example", "correct horse", kNewVaultIterations, byteRun(0x00, 16),
         byteRun(0xA0, 12), byteRun(0xB0, 12),
         "https://halvorn.example/|||Halvorn&&&alice@@@s3cret!",
         "$zn$AQEACSfAEAABAgMEBQYHCAkKCwwNDg+goaKjpKWmp6ipqquYbYlbDZEVUba2kUr9olns",
         "$zn$AbCxsrO0tba3uLm6u5dbwYYTOeJUoFnBsAZ3ulWptTbGV5MrUb1zMN/keCINgSSeCMX3NX8mdIP5v4DLJcE1"
         "G06Z2dTCiVILTmJAj3KtN7ht"},
        // Code-page bytes in the password, a longer salt, empty fields.
        {"latin-1 password", "p\xE4ssw\xF6rd", 1000, byteRun(0x40, 32), std::string(12, '\0'),
         std::string(12, '\xFF'), "|||&&&@@@",
         "$zn$"
         "AQEAAAPoIEBBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fAAAAAAAAAAAAAAAABDnD6WSiExNoKjVTBW"
         "IDrA==",
         "$zn$Af///////////////2boVRfpN9wQpDGbb8gNyKPfTbzV2PTN/HQ="},
    };
}

TEST(ProtectedFormat, FixedVectorsGiveFixedBytes) {
    for (const auto& vector : formatVectors()) {
        SCOPED_TRACE(vector.name);
        const auto made =
            protectVault(vector.password, vector.iterations, vector.salt, vector.checkNonce);
        EXPECT_EQ(made.headerText, vector.header);
        EXPECT_EQ(made.key->sealWithNonce(vector.entryNonce, vector.record), vector.entry);

        const auto key = unlockVault(vector.header, vector.password);
        ASSERT_TRUE(key);
        std::string record;
        EXPECT_TRUE(key->open(vector.entry, record));
        EXPECT_EQ(record, vector.record);
    }
}

// The header of the second vector with its bytes changed by `change`.
std::string alteredHeader(const std::function<void(std::string&)>& change) {
    const auto header = formatVectors()[1].header;
    std::string bytes = *base64Decode(header.substr(kProtectedPrefix.size()));
    change(bytes);
    return std::string(kProtectedPrefix) + base64Encode(bytes);
}

TEST(ProtectedFormat, OnlyTheRightPasswordAndAnIntactHeaderUnlock) {
    const auto vector = formatVectors()[1];
    EXPECT_FALSE(unlockVault(vector.header, "p\xE4ssw\xF6rD"));
    EXPECT_FALSE(unlockAnyVault(vector.header, ""));
    // Any one byte changed, however the change reads (a cheaper count, another salt).
    const std::size_t length = base64Decode(vector.header.substr(4))->size();
    for (std::size_t at = 0; at < length; ++at) {
        SCOPED_TRACE(at);
        // Bit 0 of the count's top byte would ask for sixteen million rounds.
        const char flip = at == 2 ? '\x80' : '\x01';
        EXPECT_FALSE(
            unlockVault(alteredHeader([&](std::string& b) { b[at] ^= flip; }), vector.password));
    }
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"truncated", vector.header.substr(0, vector.header.size() - 4)},
        {"a byte more", alteredHeader([](std::string& b) { b.push_back('\0'); })},
        {"salt too short", alteredHeader([](std::string& b) {
             b[6] = 15;
             b.erase(7, 1);
         })},
        {"not base64", vector.header + "!"},
        {"no prefix", vector.header.substr(1)},
        {"empty", ""},
    };
    for (const auto& [name, header] : damaged) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(parseVaultHeader(header));
        EXPECT_FALSE(unlockAnyVault(header, vector.password));
    }
}

TEST(ProtectedFormat, AnAlteredEntryNeverOpens) {
    const auto vector = formatVectors()[1];
    const auto key = unlockVault(vector.header, vector.password);
    ASSERT_TRUE(key);
    const std::string bytes = *base64Decode(vector.entry.substr(kProtectedPrefix.size()));
    std::vector<std::string> altered;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string changed = bytes;
            changed[at] = static_cast<char>(changed[at] ^ (1 << bit));
            altered.push_back(std::string(kProtectedPrefix) + base64Encode(changed));
        }
    }
    altered.push_back(vector.entry.substr(0, vector.entry.size() - 4));  // truncated
    altered.push_back(std::string(kProtectedPrefix) + base64Encode(bytes.substr(0, 28)));
    altered.push_back(vector.entry + "AAAA");                                   // oversized
    altered.push_back(vector.entry.substr(0, vector.entry.size() - 2) + "R=");  // unused bits set
    altered.push_back("$zn$");
    std::string record = "left over";
    for (const auto& text : altered) {
        EXPECT_FALSE(key->open(text, record)) << text;
        EXPECT_TRUE(record.empty());
    }
}

TEST(ProtectedFormat, EveryWriteTakesAFreshNonceAndShowsNoText) {
    const BookmarkEntry entry{"https://bank.example/", "My bank", "alice", "hunter2hunter2"};
    auto vault = protectVault("correct horse", 1000);
    FakeRegistry registry;
    saveAllEntries(registry, *vault.key, {entry, entry}, {});
    const auto first = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite0")->data;
    const auto second = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1")->data;
    EXPECT_NE(first, second);
    for (const auto& stored :
         {decodeStringData(first), decodeStringData(second), vault.headerText}) {
        for (const std::string& text :
             {entry.site, std::string("bank"), entry.description, entry.userName, entry.password,
              std::string("correct horse")})
            EXPECT_EQ(stored.find(text), std::string::npos) << text;
        // A printable text, which any string value holds.
        for (std::size_t at = 0; at < stored.size(); ++at)
            EXPECT_TRUE(stored[at] > ' ' && stored[at] < 0x7F) << at;
    }
    EXPECT_EQ(loadAllEntries(registry, *vault.key).entries,
              (std::vector<BookmarkEntry>{entry, entry}));
}

TEST(ProtectedFormat, ATamperedEntryStopsTheLoadAndLosesNothing) {
    auto vault = protectVault("correct horse", 1000);
    FakeRegistry registry;
    const std::vector<BookmarkEntry> entries = {{"http://a.example", "A", "", ""},
                                                {"http://b.example", "B", "", ""},
                                                {"http://c.example", "C", "", ""}};
    saveAllEntries(registry, *vault.key, entries, {});
    auto tampered = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1").value();
    tampered.data[10] = tampered.data[10] == 'A' ? 'B' : 'A';
    registry.setValue(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1", tampered);
    const auto third = registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2").value();

    auto loaded = loadAllEntries(registry, *vault.key);
    EXPECT_TRUE(loaded.stoppedAtInvalidValue);
    EXPECT_EQ(loaded.entries, (std::vector<BookmarkEntry>{entries[0]}));
    saveAllEntries(registry, *vault.key, loaded.entries, loaded.unread);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite1"), tampered);
    EXPECT_EQ(registry.value(RegRoot::CurrentUser, kEntriesKeyPath, "Favorite2"), third);
}

}  // namespace
}  // namespace zn
