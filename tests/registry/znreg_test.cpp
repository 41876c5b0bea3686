// The znreg tool: REGEDIT4 files written and read back byte for byte, and
// the commands with their output and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "tests/fakes/fake_registry.h"
#include "tests/registry/registry_test_support.h"
#include "vault/entry_store.h"
#include "znreg/reg_command.h"
#ifdef _WIN32
#include "znreg/win32_tool_store.h"
#else
#include "platform/linux/sqlite_registry.h"
#include "znreg/sqlite_tool_store.h"
#endif

namespace zn::testing {
namespace {

using regtool::KeyName;
using regtool::RegToolError;

#ifdef _WIN32
// The real registry, rooted in a key of the test's own.
using NativeRegistry = win32::Win32Registry;
using NativeToolStore = regtool::Win32ToolStore;
std::unique_ptr<NativeRegistry> openNativeRegistry(const TempFolder&) {
    return win32::Win32Registry::inSandbox("Software\\ZintrelTests\\znreg" +
                                           std::to_string(GetCurrentProcessId()));
}
#else
using NativeRegistry = SqliteRegistry;
using NativeToolStore = regtool::SqliteToolStore;
std::unique_ptr<NativeRegistry> openNativeRegistry(const TempFolder& folder) {
    return SqliteRegistry::open((folder / "registry.db").string(),
                                {.busyTimeoutMs = 5000,
                                 .autostartFolder = folder / "autostart",
                                 .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
}
#endif

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
            arguments, [&] { return std::make_unique<NativeToolStore>(*registry_); }, out, err);
        return {code, out.str(), err.str()};
    }
    std::unique_ptr<RegistryKey> key(RegRoot root, const std::string& path) {
        return registry_->openKey(root, path, true);
    }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    TempFolder folder_;
    std::unique_ptr<NativeRegistry> registry_ = openNativeRegistry(folder_);
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

// What a file asks for, one change after the first key line, as
// "name=type:bytes", "name=-", "[key]" or "[-key]"; or the error's text.
std::string readBack(const std::string& text) {
    try {
        const auto changes = regtool::parseRegFile(text, "x.reg");
        std::string shown;
        using Kind = regtool::RegFileChange::Kind;
        for (std::size_t i = 1; i < changes.size(); ++i) {
            const auto& change = changes[i];
            if (!shown.empty()) shown += "; ";
            if (change.kind == Kind::OpenKey) shown += "[" + regtool::fullKeyName(change.key) + "]";
            if (change.kind == Kind::DeleteKey)
                shown += "[-" + regtool::fullKeyName(change.key) + "]";
            if (change.kind == Kind::DeleteValue) shown += change.valueName + "=-";
            if (change.kind != Kind::SetValue) continue;
            shown += change.valueName + "=" + std::to_string(int(change.value.type)) + ":";
            for (unsigned char byte : change.value.data) {
                char hex[4];
                std::snprintf(hex, sizeof hex, " %02x", byte);
                shown += hex;
            }
        }
        return shown;
    } catch (const RegToolError& error) {
        return error.what();
    }
}

// Each row: lines under a key line (line 2), or a whole file when it starts
// with the header, and what is stored or the message. The first rows are
// what the registry editor imports; the later ones what it would skip or
// never writes, refused with the line named.
TEST(RegFile, ReadsFilesAsTheRegistryEditorDoes) {
    const std::string longName(255, 'k');
    const std::vector<std::pair<std::string, std::string>> rows{
        {"\"v\"=\"x\" ;note", "v=1: 78 00"},
        {"\"v\"=dword:00000004 ;note\n\"w\"=dword:4;n", "v=4: 04 00 00 00; w=4: 04 00 00 00"},
        {"\"v\"=hex:01,02 ;note\n\"w\"=hex:01;n", "v=3: 01 02; w=3: 01"},
        {"\"v\"=- ;note\n@ = -;n", "v=-; =-"},
        {"[HKEY_CURRENT_USER\\T\\K] ;note\n[-HKEY_CURRENT_USER\\Old]\t; gone",
         "[HKEY_CURRENT_USER\\T\\K]; [-HKEY_CURRENT_USER\\Old]"},
        {"\"v\"=hex:01,\\\n; a comment\n\n \t \n  02", "v=3: 01 02"},
        {"\"v\"=hex:11,22,\\ ;c\n  33", "v=3: 11 22 33"},
        {"\"v\"=hex:01,02,\n\"w\"=hex:01,02, ;c", "v=3: 01 02; w=3: 01 02"},
        {"\"v\"=hex:01,02,\\", "v=3: 01 02"},
        {"REGEDIT4\r\r[HKEY_CURRENT_USER\\T]\r\"v\"=hex:01,\\\r  02\r", "v=3: 01 02"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"x\"\r\"w\"=\"y\"\r\n",
         "v=1: 78 00; w=1: 79 00"},
        {"\"a\"=hex(2):41,42\n\"b\"=hex(7):41,42\n\"c\"=hex(1):41,42\n\"d\"=hex(2):41,00\n"
         "\"e\"=hex(2):",
         "a=2: 41 42 00; b=7: 41 42 00; c=1: 41 42 00; d=2: 41 00; e=2:"},
        {"\"n\"=\"a\\nb\"\n\"t\"=\"a\\tb\"\n\"q\"=\"a\\qb\"\n\"a\\qb\"=\"\\\\\\\"\"",
         "n=1: 61 0a 62 00; t=1: 61 74 62 00; q=1: 61 71 62 00; aqb=1: 5c 22 00"},
        {"\"v\"=hex( 2):41,00\n\"w\"=hex:001,02", "v=2: 41 00; w=3: 01 02"},
        {"#c\n  \"v\" = dword: 1\n\"w\"=hex: 01, 02 ", "v=4: 01 00 00 00; w=3: 01 02"},
        {"[HKEY_CURRENT_USER\\" + longName + "\\]", "[HKEY_CURRENT_USER\\" + longName + "]"},

        {"[HKCU\\T\\K]",
         "line 3: the short root \"HKCU\", which the registry editor does not "
         "read: write HKEY_CURRENT_USER"},
        {"[HKEY_CURRENT_USER\\T\\\\K]", "line 3: a doubled \"\\\" in the key name"},
        {"REGEDIT4 \n[HKEY_CURRENT_USER\\T]",
         "x.reg is not a registry file (line 1: blanks after "
         "the header)"},
        {"[HKEY_CURRENT_USER\\k" + longName + "]",
         "line 3: the key name \"k" + longName + "\" is longer than 255 characters"},
        {"\"v\"=hex:0 1", "line 3: a space inside a hex list"},
        {"\"v\"=hex:01 ,02", "line 3: a space inside a hex list"},
        {"\"v\"=hex:01,\\\n  ,02", "line 4: a continued hex list starts with a comma"},
        {"\"v\"=hex:01,\\\n#c\n  02", "line 4: bad hexadecimal number"},
        {"\"v\"=hex:01,\\\n\"w\"=\"x\"", "line 4: bad hexadecimal number"},
        {"\"v\"=hex:100", "line 3: a hex byte above ff"},
        {"\"v\"=\"x\" junk", "line 3: text after a quoted value"},
        {"\"v\"=- junk", "line 3: text after \"-\""},
        {"\"v\"=dword:000000004", "line 3: a dword needs one to eight hexadecimal digits"},
        {"\"v\"=hex(2 ):41", "line 3: bad hex value type"},
        {"\"v\"=\"a\\0b\"", "line 3: \"\\0\" in a quoted text"},
        {"[HKEY_CURRENT_USER\\K] junk", "line 3: text after the key name's \"]\""},
        // A name holding a line break could never be exported again.
        {"\"a\\nb\"=\"x\"", "line 3: a value name holding a line break"},
        {"\"a\\rb\"=\"x\"", "line 3: a value name holding a line break"},
        {"\"a\rb\"=\"x\"", "line 3: a quoted text is not closed"},
        {std::string("\"v\"=\"a\0b\"", 9), "line 3: a zero character"},
    };
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(input);
        const std::string text =
            input.starts_with("REGEDIT4") ? input : "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n" + input;
        const std::string result = readBack(text);
        if (expected.find("line ") == std::string::npos)
            EXPECT_EQ(result, expected);
        else
            EXPECT_NE(result.find(expected), std::string::npos) << result;
    }
}

std::string testData(const std::string& name) {
    return readFile(std::filesystem::path(ZN_REG_TEST_DATA) / name);
}

// The value a file sets, found by its name.
std::string dataOf(const std::vector<regtool::RegFileChange>& changes, const std::string& name) {
    for (const auto& change : changes)
        if (change.kind == regtool::RegFileChange::Kind::SetValue && change.valueName == name)
            return change.value.data;
    return "(missing)";
}

// Files Wine's regedit wrote (see data/README.md): UTF-16, strings read back
// into the code page byte for byte, whatever the type tag.
TEST(RegFile, ReadsWindowsExportsThroughTheCodePage) {
    const std::string utf16 = testData("wine-values.reg");
    const auto changes = regtool::parseRegFile(utf16, "w.reg");
    EXPECT_EQ(dataOf(changes, "Text"),
              std::string("Fjordb\xE5t \"quoted\" C:\\path \x80\x83") + '\0');
    EXPECT_EQ(dataOf(changes, "Lines"), std::string("one\ntwo\0", 8));
    EXPECT_EQ(dataOf(changes, "Expand"), std::string("%APPDATA%\\Zintrel\0", 18));
    EXPECT_EQ(dataOf(changes, "Multi"), std::string("one\0two\0\0", 9));
    EXPECT_EQ(dataOf(changes, "Undefined"), std::string("\x81\x8D\x8F\x90\x9D\0", 6));
    EXPECT_EQ(dataOf(changes, "Count"), encodeDwordData(42));
    EXPECT_EQ(dataOf(changes, ""), std::string("standard\0", 9));
    EXPECT_EQ(dataOf(regtool::parseRegFile(utf16, "w.reg", regtool::CodePage::Utf8), "Text"),
              "Fjordb\xC3\xA5t \"quoted\" C:\\path \xE2\x82\xAC\xC6\x92" + std::string(1, '\0'));

    // The same file in UTF-8, as a text editor or iconv leaves it.
    const std::string utf8 = regtool::encodeUtf8(regtool::decodeUtf16(utf16.substr(2)));
    const auto fromUtf8 = regtool::parseRegFile(utf8, "w.reg");
    ASSERT_EQ(fromUtf8.size(), changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i)
        EXPECT_EQ(fromUtf8[i].value.data, changes[i].value.data) << changes[i].valueName;

    EXPECT_EQ(readBack(testData("wine-cjk.reg")),
              "x.reg cannot be imported (line 4: the value \"Name\" holds the character U+4E2D, "
              "which code page Windows-1252 lacks)");
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\T]\r\n";
    EXPECT_EQ(readBack(v5 + "\"v\"=\"\xE9\"\r\n"),
              "x.reg is not a registry file (line 3: the value \"v\" holds bytes that "
              "are no Unicode text)");
    EXPECT_NE(readBack(v5 + "\"v\"=hex(2):41,00,42\r\n")
                  .find("(line 3: UTF-16 string data of odd "
                        "length)"),
              std::string::npos);
}

TEST(RegFile, RefusesWhatIsNotARegistryFile) {
    const std::vector<std::string> bad{
        "",
        "REGEDIT5\n",
        "hello\n[HKEY_CURRENT_USER\\A]\n",
        std::string("\xFF\xFE"
                    "W\0i\0n\0",
                    8),  // a UTF-16 file cut short
        "REGEDIT4\n\"v\"=\"outside any key\"\n",
        "REGEDIT4\n[HKEY_NOWHERE\\A]\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"unclosed\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:1g\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A\n",
        "REGEDIT4\n[-HKEY_CURRENT_USER]\n",
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
#ifndef _WIN32
    ::chmod(file("vault.reg").c_str(), 0644);
#endif
    ASSERT_EQ(run({"export", "HKCU\\Software\\Halvorn", file("vault.reg")}).exitCode, 0);
#ifndef _WIN32
    struct stat exportedFile {};
    ASSERT_EQ(::stat(file("vault.reg").c_str(), &exportedFile), 0);
    EXPECT_EQ(exportedFile.st_mode & 0777, 0600u);  // it holds the vault
#endif
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

TEST_F(ZnregTest, VersionFiveExportsAreWhatTheRegistryEditorWrites) {
    for (const auto& [name, key] :
         {std::pair{"wine-values.reg", "HKCU\\Software\\Zintrel Probe"},
          std::pair{"wine-vault.reg", "HKCU\\Software\\Halvorn\\Bookmarks"}}) {
        SCOPED_TRACE(name);
        const auto path = std::filesystem::path(ZN_REG_TEST_DATA) / name;
        ASSERT_EQ(run({"import", path.string()}).exitCode, 0);
        ASSERT_EQ(run({"export", key, file("v5.reg"), "--v5"}).exitCode, 0);
        EXPECT_EQ(readFile(file("v5.reg")), readFile(path));
    }
    // The vault made under Windows opens under its password.
    const auto loaded = loadAllEntries(*registry_, MakeVerifier("Fjord-Lantern-42"));
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    ASSERT_EQ(loaded.entries.size(), 2u);
    EXPECT_EQ(loaded.entries[1], (BookmarkEntry{"https://lighthouse.example/login", "Lighthouse",
                                                "olav", "n0rth~Star"}));
    EXPECT_EQ(key(RegRoot::CurrentUser, kVaultKeyPath)->readString("Password"),
              MakeVerifier("Fjord-Lantern-42"));

    key(RegRoot::CurrentUser, "Software\\Latin")->writeString("Bad", "a\xE9");
    EXPECT_EQ(
        run({"export", "HKCU\\Software\\Latin", file("u.reg"), "--v5", "--codepage", "utf-8"}).err,
        "ERROR: Cannot export the value \"Bad\": it holds bytes that are no text in code page "
        "UTF-8\n");
}

#ifndef _WIN32
// An export never lands on the store, whatever name leads there, and a
// failed one leaves no file behind and reports no success.
TEST_F(ZnregTest, ExportNeverReplacesTheStore) {
    key(RegRoot::CurrentUser, "Software\\Kept")->writeString("v", "1");
    const std::string store = file("registry.db");
    std::filesystem::create_symlink(store, file("link.reg"));
    for (const auto& target :
         {store, file("link.reg"), store + "-wal", store + "-shm", file("./registry.db")}) {
        const auto result = run({"export", "HKCU\\Software\\Kept", target});
        EXPECT_EQ(result.exitCode, 1) << target;
        EXPECT_EQ(result.err,
                  "ERROR: Cannot create file " + target + ": it is the registry store\n");
        EXPECT_EQ(result.out, "");
    }
    const auto missingFolder = run({"export", "HKCU\\Software\\Kept", file("no/such.reg")});
    EXPECT_EQ(missingFolder.err, "ERROR: Cannot create file " + file("no/such.reg") + "\n");
    EXPECT_EQ(key(RegRoot::CurrentUser, "Software\\Kept")->readString("v"), "1");

    // A link to another file: the file is replaced, the link stays.
    writeFile(file("real.reg"), "old");
    std::filesystem::create_symlink(file("real.reg"), file("to-real.reg"));
    ASSERT_EQ(run({"export", "HKCU\\Software\\Kept", file("to-real.reg")}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(file("to-real.reg")));
    EXPECT_NE(readFile(file("real.reg")).find("\"v\"=\"1\""), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
        if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path());
    EXPECT_EQ(names, std::vector<std::string>{});  // no temporary file left
}
#endif

TEST_F(ZnregTest, ExportWalksADeepTreeParentsFirst) {
    std::string deep = "Software\\Tree\\b";
    for (int depth = 0; depth < 300; ++depth) deep += "\\n";
    key(RegRoot::CurrentUser, deep)->writeString("leaf", "1");
    key(RegRoot::CurrentUser, "Software\\Tree\\C");
    key(RegRoot::CurrentUser, "Software\\Tree\\a\\x");
    ASSERT_EQ(run({"export", "hkcu\\Software\\Tree", file("tree.reg")}).exitCode, 0);
    std::vector<std::string> keyLines;
    std::istringstream lines(readFile(file("tree.reg")));
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("[")) keyLines.push_back(line.substr(0, 60));
    ASSERT_EQ(keyLines.size(), 305u);
    EXPECT_EQ(keyLines[0], "[HKEY_CURRENT_USER\\Software\\Tree]\r");
    EXPECT_EQ(keyLines[1], "[HKEY_CURRENT_USER\\Software\\Tree\\a]\r");
    EXPECT_EQ(keyLines[2], "[HKEY_CURRENT_USER\\Software\\Tree\\a\\x]\r");
    EXPECT_EQ(keyLines[3], "[HKEY_CURRENT_USER\\Software\\Tree\\b]\r");
    EXPECT_EQ(keyLines[304], "[HKEY_CURRENT_USER\\Software\\Tree\\C]\r");
    EXPECT_NE(readFile(file("tree.reg")).find(deep + "]\r\n\"leaf\"=\"1\""), std::string::npos);
}

// --- the commands

// Made in the order of their names: Wine's registry lists values by name.
TEST_F(ZnregTest, QueryShowsValuesThenSubKeys) {
    ASSERT_EQ(run({"add", "HKCU\\Software\\Q", "/ve", "/d", "def"}).exitCode, 0);
    ASSERT_EQ(
        run({"add", "HKCU\\Software\\Q", "/v", "N", "/t", "REG_DWORD", "/d", "0x1F"}).exitCode, 0);
    ASSERT_EQ(run({"add", "HKCU\\Software\\Q", "/v", "Name", "/d", "text", "/f"}).exitCode, 0);
    key(RegRoot::CurrentUser, "Software\\Q")->writeString("Raw", std::string("a\0\x01\xC3\xA9", 5));
    key(RegRoot::CurrentUser, "Software\\Q\\Sub");

    const auto result = run({"query", "hkcu\\Software\\Q"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Q\n"
              "    (Default)    REG_SZ    def\n"
              "    N    REG_DWORD    0x1f\n"
              "    Name    REG_SZ    text\n"
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

TEST_F(ZnregTest, MessagesNeverCarryControlBytes) {
    writeFile(file("evil.reg"), "REGEDIT4\n[HKEY_\x1B]0;owned\x07\\A]\n");
    const auto result = run({"import", file("evil.reg")});
    EXPECT_EQ(result.err, "ERROR: " + file("evil.reg") +
                              " is not a registry file (line 2: unknown root key in "
                              "\"HKEY_\\x1B]0;owned\\x07\\A\")\n");
}

TEST_F(ZnregTest, BadCommandLinesFailWithoutTouchingTheStore) {
    int opened = 0;
    auto runCounting = [&](const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int code = regtool::runRegTool(
            arguments,
            [&] {
                ++opened;
                return std::make_unique<NativeToolStore>(*registry_);
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
             {"import", "x.reg", "--codepage", "koi8-r"},
             {"import", "x.reg", "--v5"},
             {"export", "HKCU\\A", "a.reg", "--v5", "--v5"},
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
