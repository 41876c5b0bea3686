// The znreg tool: REGEDIT4 files written and read back byte for byte, and
// the commands with their output and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "platform/linux/sqlite_registry.h"
#include "tests/fakes/fake_registry.h"
#include "tests/registry/registry_test_support.h"
#include "vault/entry_store.h"
#include "znreg/reg_command.h"

namespace zn::testing {
namespace {

using regtool::KeyName;
using regtool::RegToolError;

class SqliteToolStore : public regtool::RegToolStore {
public:
    explicit SqliteToolStore(SqliteRegistry& registry) : registry_(registry) {}
    Registry& registry() override { return registry_; }
    std::vector<std::string> subKeyNames(RegRoot root, const std::string& path) override {
        return registry_.subKeyNames(root, path);
    }

private:
    SqliteRegistry& registry_;
};

class FakeToolStore : public regtool::RegToolStore {
public:
    explicit FakeToolStore(FakeRegistry& registry) : registry_(registry) {}
    Registry& registry() override { return registry_; }
    std::vector<std::string> subKeyNames(RegRoot, const std::string&) override { return {}; }

private:
    FakeRegistry& registry_;
};

struct ToolResult {
    int exitCode;
    std::string out;
    std::string err;
};

class ZnregTest : public ::testing::Test {
protected:
    ToolResult run(const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int code = regtool::runRegTool(
            arguments, [&] { return std::make_unique<SqliteToolStore>(*registry_); }, out, err);
        return {code, out.str(), err.str()};
    }
    std::unique_ptr<RegistryKey> key(RegRoot root, const std::string& path) {
        return registry_->openKey(root, path, true);
    }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    TempFolder folder_;
    std::unique_ptr<SqliteRegistry> registry_ = SqliteRegistry::open(
        (folder_ / "registry.db").string(), {.busyTimeoutMs = 5000,
                                             .autostartFolder = folder_ / "autostart",
                                             .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
};

// --- the file format

TEST(RegFile, WritesTheWindowsLayout) {
    std::string bytes(40, '\x11');
    const std::string text = regtool::writeRegFile({
        {{RegRoot::CurrentUser, "Software\\Halvorn"},
         {{"Name", {RegType::String, encodeStringData("C:\\ \"q\"")}},
          {"", {RegType::String, encodeStringData("default")}},
          {"Count", {RegType::Dword, encodeDwordData(10)}},
          {"Raw", {RegType::String, encodeStringData(std::string("a\0\xE9", 3))}},
          {"Path", {RegType::ExpandString, encodeStringData("%A%")}},
          {"Bin", {RegType::Binary, bytes}}}},
        {{RegRoot::ClassesRoot, ""}, {}},
    });
    EXPECT_EQ(
        text,
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Halvorn]\r\n"
        "\"Name\"=\"C:\\\\ \\\"q\\\"\"\r\n"
        "@=\"default\"\r\n"
        "\"Count\"=dword:0000000a\r\n"
        "\"Raw\"=hex(1):61,00,e9,00\r\n"
        "\"Path\"=hex(2):25,41,25,00\r\n"
        "\"Bin\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n"
        "  11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11\r\n"
        "\r\n"
        "[HKEY_CLASSES_ROOT]\r\n"
        "\r\n");
}

TEST(RegFile, ReadsContinuationsLineEndsAndDeletions) {
    const std::string text =
        "REGEDIT4\n\n"
        "; a comment\n"
        "[-HKEY_CURRENT_USER\\Old]\r\n"
        "[hkcu\\New\\\\Key]\n"
        "\"Bin\"=hex:01,02,\\\r\n"
        "  03,\\\n"
        "  04\n"
        "@=\"d\"\n"
        "\"Gone\"=-\n"
        "\"Type7\"=hex(7):61,00,00,00\n"
        "\"N\"=dword:FFFFFFFF\n";
    const auto changes = regtool::parseRegFile(text, "in.reg");
    using Kind = regtool::RegFileChange::Kind;
    ASSERT_EQ(changes.size(), 7u);
    EXPECT_EQ(changes[0].kind, Kind::DeleteKey);
    EXPECT_EQ(changes[0].key, (KeyName{RegRoot::CurrentUser, "Old"}));
    EXPECT_EQ(changes[1].kind, Kind::OpenKey);
    EXPECT_EQ(changes[1].key, (KeyName{RegRoot::CurrentUser, "New\\Key"}));
    EXPECT_EQ(changes[2].value.data, "\x01\x02\x03\x04");
    EXPECT_EQ(changes[3].valueName, "");
    EXPECT_EQ(changes[3].value.data, encodeStringData("d"));
    EXPECT_EQ(changes[4].kind, Kind::DeleteValue);
    EXPECT_EQ(static_cast<int>(changes[5].value.type), 7);
    EXPECT_EQ(changes[6].value.data, encodeDwordData(0xFFFFFFFF));
}

TEST(RegFile, RefusesWhatIsNotARegistryFile) {
    const std::vector<std::string> bad{
        "",
        "REGEDIT5\n",
        "hello\n[HKEY_CURRENT_USER\\A]\n",
        std::string("\xFF\xFE"
                    "W\0i\0n\0",
                    8),  // UTF-16
        "REGEDIT4\n\"v\"=\"outside any key\"\n",
        "REGEDIT4\n[HKEY_NOWHERE\\A]\n",
        "REGEDIT4\n[HKCU\\A]\n\"v\"=\"unclosed\n",
        "REGEDIT4\n[HKCU\\A]\n\"v\"=\"bad \\escape\"\n",
        "REGEDIT4\n[HKCU\\A]\n\"v\"=dword:123456789\n",
        "REGEDIT4\n[HKCU\\A]\n\"v\"=hex:1g\n",
        "REGEDIT4\n[HKCU\\A]\n\"v\"=hex:01,\\\n",
        "REGEDIT4\n[HKCU\\A\n",
        "REGEDIT4\n[-HKCU]\n",
    };
    for (const auto& text : bad) {
        SCOPED_TRACE(text);
        try {
            regtool::parseRegFile(text, "x.reg");
            FAIL() << "accepted";
        } catch (const RegToolError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("x.reg is not a registry file", 0), 0u)
                << error.what();
        }
    }
    EXPECT_NO_THROW(
        regtool::parseRegFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", "bom.reg"));
}

TEST(RegFile, KeyNamesTakeLongAndShortRoots) {
    EXPECT_EQ(regtool::parseKeyName("HKEY_LOCAL_MACHINE\\Software\\"),
              (KeyName{RegRoot::LocalMachine, "Software"}));
    EXPECT_EQ(regtool::parseKeyName("hkcr"), (KeyName{RegRoot::ClassesRoot, ""}));
    EXPECT_EQ(regtool::parseKeyName("HKCU\\\\a\\\\b"), (KeyName{RegRoot::CurrentUser, "a\\b"}));
    EXPECT_EQ(regtool::parseKeyName("HKEY_USERS\\x"), std::nullopt);
    EXPECT_EQ(regtool::parseKeyName("\\HKCU\\x"), std::nullopt);
}

// --- export and import through the store

TEST_F(ZnregTest, ExportDeleteImportRestoresEveryByteInOrder) {
    saveAllEntries(*registry_, sampleVerifier(),
                   {entryWithZeroInCiphertext(), {"https://b.example/", "B", "", ""}}, {});
    auto vault = key(RegRoot::CurrentUser, kVaultKeyPath);
    vault->writeString("Zeta", "last made, first listed");
    vault->writeString("Password", sampleVerifier());
    vault->writeInteger("Flag", 1);
    vault->writeString("", "\x7F control");
    vault->writeValue("Empty", {RegType::String, ""});  // not even a terminating zero
    vault->writeValue("Odd", {RegType::Dword, "\x01\x02"});
    std::string allBytes;
    for (int i = 0; i < 300; ++i) allBytes += static_cast<char>(i * 7);
    vault->writeValue("Bin", {RegType::Binary, allBytes});

    auto snapshot = [&] {
        std::vector<std::pair<std::string, std::vector<std::pair<std::string, RegValue>>>> all;
        for (const char* path : {kVaultKeyPath, kEntriesKeyPath}) {
            const auto k = registry_->openKey(RegRoot::CurrentUser, path, false);
            if (!k) continue;
            std::vector<std::pair<std::string, RegValue>> values;
            for (const auto& name : k->valueNames()) values.emplace_back(name, *k->readValue(name));
            all.emplace_back(path, std::move(values));
        }
        return all;
    };
    const auto before = snapshot();

    {
        std::ofstream existing(file("vault.reg"));  // an older backup, readable by all
    }
    ::chmod(file("vault.reg").c_str(), 0644);
    ASSERT_EQ(run({"export", "HKCU\\Software\\Halvorn", file("vault.reg")}).exitCode, 0);
    struct stat exportedFile {};
    ASSERT_EQ(::stat(file("vault.reg").c_str(), &exportedFile), 0);
    EXPECT_EQ(exportedFile.st_mode & 0777, 0600u);  // it holds the vault
    ASSERT_TRUE(registry_->deleteKey(RegRoot::CurrentUser, "Software\\Halvorn"));
    const auto imported = run({"import", file("vault.reg")});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;

    const auto after = snapshot();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t k = 0; k < before.size(); ++k) {
        ASSERT_EQ(after[k].second.size(), before[k].second.size()) << before[k].first;
        for (std::size_t v = 0; v < before[k].second.size(); ++v) {
            EXPECT_EQ(after[k].second[v].first, before[k].second[v].first);
            EXPECT_EQ(after[k].second[v].second.type, before[k].second[v].second.type);
            EXPECT_EQ(after[k].second[v].second.data, before[k].second[v].second.data)
                << before[k].second[v].first;
        }
    }
    EXPECT_EQ(loadAllEntries(*registry_, sampleVerifier()).entries[0], entryWithZeroInCiphertext());
}

TEST_F(ZnregTest, MalformedImportWritesNothing) {
    key(RegRoot::CurrentUser, "Kept")->writeString("v", "old");
    writeFile(file("bad.reg"),
              "REGEDIT4\n\n[HKCU\\Kept]\n\"v\"=\"new\"\n[HKCU\\Fresh]\n\"w\"=\"1\"\n"
              "\"broken\"=hex:zz\n");
    const auto result = run({"import", file("bad.reg")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind("ERROR: " + file("bad.reg") + " is not a registry file", 0), 0u)
        << result.err;
    EXPECT_EQ(key(RegRoot::CurrentUser, "Kept")->readString("v"), "old");
    EXPECT_EQ(registry_->openKey(RegRoot::CurrentUser, "Fresh", false), nullptr);

    writeFile(file("notes.txt"), "shopping list\n");
    EXPECT_EQ(run({"import", file("notes.txt")}).err,
              "ERROR: " + file("notes.txt") + " is not a registry file\n");
    EXPECT_EQ(run({"import", file("missing.reg")}).err,
              "ERROR: Cannot open file " + file("missing.reg") + "\n");
}

// --- the commands

TEST_F(ZnregTest, QueryShowsValuesThenSubKeys) {
    ASSERT_EQ(run({"add", "HKCU\\Software\\Q", "/v", "Name", "/d", "text", "/f"}).exitCode, 0);
    ASSERT_EQ(run({"add", "HKCU\\Software\\Q", "/ve", "/d", "def"}).exitCode, 0);
    ASSERT_EQ(
        run({"add", "HKCU\\Software\\Q", "/v", "N", "/t", "REG_DWORD", "/d", "0x1F"}).exitCode, 0);
    key(RegRoot::CurrentUser, "Software\\Q")->writeString("Raw", std::string("a\0\x01\xC3\xA9", 5));
    key(RegRoot::CurrentUser, "Software\\Q\\Sub");

    const auto result = run({"query", "hkcu\\Software\\Q"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Q\n"
              "    Name    REG_SZ    text\n"
              "    (Default)    REG_SZ    def\n"
              "    N    REG_DWORD    0x1f\n"
              "    Raw    REG_SZ    a\\x00\\x01\xC3\xA9\n"
              "\nHKEY_CURRENT_USER\\Software\\Q\\Sub\n");
    EXPECT_EQ(run({"query", "HKCU\\Software\\Q", "/v", "n"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\n    n    REG_DWORD    0x1f\n");
}

TEST_F(ZnregTest, DeleteRemovesValuesAndKeys) {
    key(RegRoot::LocalMachine, "A\\B")->writeString("v", "1");
    key(RegRoot::LocalMachine, "A")->writeString("w", "2");
    EXPECT_EQ(run({"delete", "HKLM\\A\\B", "/v", "V"}).exitCode, 0);
    EXPECT_EQ(registry_->openKey(RegRoot::LocalMachine, "A\\B", false)->readValue("v"),
              std::nullopt);
    EXPECT_EQ(run({"delete", "HKLM\\A", "/va"}).exitCode, 0);
    EXPECT_TRUE(registry_->openKey(RegRoot::LocalMachine, "A", false)->valueNames().empty());
    EXPECT_EQ(run({"delete", "HKLM\\A", "/f"}).exitCode, 0);
    EXPECT_EQ(registry_->openKey(RegRoot::LocalMachine, "A", false), nullptr);

    const auto missing = run({"delete", "HKLM\\A"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "ERROR: The system was unable to find the specified registry key or value.\n");
    EXPECT_EQ(run({"delete", "HKLM"}).exitCode, 1);
}

TEST_F(ZnregTest, BadCommandLinesFailWithoutTouchingTheStore) {
    int opened = 0;
    auto runCounting = [&](const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int code = regtool::runRegTool(
            arguments,
            [&] {
                ++opened;
                return std::make_unique<SqliteToolStore>(*registry_);
            },
            out, err);
        return std::make_pair(code, err.str());
    };
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate", "HKCU\\A"},
             {"query"},
             {"query", "HKXX\\A"},
             {"add", "HKCU\\A", "/v"},
             {"add", "HKCU\\A", "/v", "a", "/ve"},
             {"add", "HKCU\\A", "/v", "a", "/t", "REG_DWORD", "/d", "12x"},
             {"add", "HKCU\\A", "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
             {"add", "HKCU\\A", "/v", "a", "/t", "REG_MULTI_SZ"},
             {"export", "HKCU\\A"},
             {"import", "x.reg", "/q"},
         }) {
        const auto [code, err] = runCounting(arguments);
        EXPECT_EQ(code, 1);
        EXPECT_EQ(err.rfind("ERROR: ", 0), 0u) << err;
    }
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(registry_->openKey(RegRoot::CurrentUser, "A", false), nullptr);
}

TEST(ZnregOverTheFake, AddsAndQueriesThroughThePortAlone) {
    FakeRegistry fake;
    auto run = [&](const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int code = regtool::runRegTool(
            arguments, [&] { return std::make_unique<FakeToolStore>(fake); }, out, err);
        return ToolResult{code, out.str(), err.str()};
    };
    EXPECT_EQ(run({"add", "HKCU\\X", "/v", "B", "/t", "REG_BINARY", "/d", "00ff10"}).exitCode, 0);
    EXPECT_EQ(fake.value(RegRoot::CurrentUser, "x", "b")->data, std::string("\0\xFF\x10", 3));
    EXPECT_EQ(run({"query", "HKCU\\X"}).out,
              "\nHKEY_CURRENT_USER\\X\n    B    REG_BINARY    00FF10\n");
    const auto missing = run({"query", "HKCU\\X", "/v", "nope"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace zn::testing
