// The Windows registry store where the real registry differs from the
// conformance cases: as a standard user, who may read HKEY_LOCAL_MACHINE and
// HKEY_CLASSES_ROOT but not write them, and saves that are killed or fail
// part-way through.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "settings/options_dialog.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/fake_ports.h"
#include "tests/win32/saved_lists.h"
#include "vault/entry_store.h"

namespace zn::testing {
namespace {

using win32::Win32Registry;

std::string sandboxName(const char* purpose) {
    return std::string("Software\\ZintrelTests\\") + purpose + std::to_string(GetCurrentProcessId());
}

// Leaves a key and everything below it as a standard user finds the system's
// keys: readable, not writable. Deleting stays allowed, so the sandbox can go.
void makeReadOnly(HKEY base, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(base, path.c_str(), 0, KEY_READ | WRITE_DAC, &key), ERROR_SUCCESS);
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        makeReadOnly(key, name);
    }
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);
    RegCloseKey(key);
}

// Wine lets anyone make a key below one that refuses writes; Windows does
// not. This store refuses it as Windows would and leaves the rest to the real one.
class NoNewSystemKeys : public Registry {
public:
    explicit NoNewSystemKeys(Registry& store) : store_(store) {}
    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override {
        if (create && root != RegRoot::CurrentUser && !store_.openKey(root, path, false))
            throw failedToSetData(path);
        return store_.openKey(root, path, create);
    }
    bool deleteKey(RegRoot root, const std::string& path) override {
        return store_.deleteKey(root, path);
    }
    std::unique_ptr<RegistryBatch> beginBatch() override { return store_.beginBatch(); }

private:
    Registry& store_;
};

class StandardUser : public ::testing::Test {
protected:
    // Seeds the system's keys, then takes away the right to write them.
    void lockSystemRoots() {
        for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::ClassesRoot}) {
            registry->openKey(root, "", true);
            const auto [base, prefix] = registry->locate(root);
            makeReadOnly(base, prefix.substr(0, prefix.size() - 1));
        }
    }

    std::unique_ptr<Win32Registry> registry = Win32Registry::inSandbox(sandboxName("user"));
};

TEST_F(StandardUser, ReadsTheSystemKeysAndAWriteThereFailsByTheValuesName) {
    registry->openKey(RegRoot::LocalMachine, "Software\\Vendor", true)->writeString("Version", "1");
    lockSystemRoots();
    for (const bool create : {false, true}) {
        SCOPED_TRACE(create ? "opened to create" : "opened to read");
        const auto key = registry->openKey(RegRoot::LocalMachine, "Software\\Vendor", create);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->readString("Version"), "1");
        try {
            key->writeString("Version", "2");
            FAIL() << "wrote a key that may only be read";
        } catch (const RegistryError& error) {
            EXPECT_STREQ(error.what(), "Failed to set data for 'Version'");
        }
        EXPECT_FALSE(key->deleteValue("Version"));
        EXPECT_EQ(key->readString("Version"), "1");
    }
    // The user's own keys are written through a handle first opened to read.
    registry->openKey(RegRoot::CurrentUser, "Software\\Halvorn", true);
    const auto own = registry->openKey(RegRoot::CurrentUser, "Software\\Halvorn", false);
    own->writeString("a", "1");
    EXPECT_EQ(own->readString("a"), "1");
}

TEST_F(StandardUser, BrowserDetectionReadsTheSystemsCommandOrFindsNoneWithoutAnError) {
    struct Case {
        const char* what;
        const char* command;  // nullptr: no such key
        const char* detected;
    };
    for (const auto& [what, command, detected] :
         {Case{"a command", "\"C:\\Web\\web.exe\" \"%1\"", "C:\\Web\\web.exe"},
          Case{"no command", nullptr, ""}}) {
        SCOPED_TRACE(what);
        registry = Win32Registry::inSandbox(sandboxName("user"));
        if (command)
            registry->openKey(RegRoot::ClassesRoot, kWebPageCommandKeyPath, true)
                ->writeString("", command);
        lockSystemRoots();
        FakeDialogs dialogs;
        FakeMessageBoxes messages;
        NoNewSystemKeys asStandardUser(*registry);
        TwOptions options(asStandardUser, dialogs, messages);
        options.FormCreate();
        EXPECT_EQ(options.browserField, detected);
        EXPECT_TRUE(messages.shown.empty());
    }
}

// The saver's process, on a sandbox, with these further arguments.
HANDLE launchSaver(const std::string& sandbox, const std::string& arguments) {
    std::string commandLine = win32::quotedArgument(ZN_REGISTRY_SAVER) + ' ' +
                              win32::quotedArgument(sandbox) + ' ' + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    EXPECT_TRUE(started);
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Starts the saver on a sandbox and gives it back once its first list is stored.
HANDLE startSaver(const std::string& sandbox, int round) {
    const std::string eventName = "ZintrelSaverStored" + std::to_string(GetCurrentProcessId()) +
                                  "-" + std::to_string(round);
    HANDLE stored = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    HANDLE saver = launchSaver(sandbox, eventName);
    HANDLE waitFor[] = {stored, saver};
    EXPECT_EQ(WaitForMultipleObjects(2, waitFor, FALSE, 30000), WAIT_OBJECT_0)
        << "the saver ended or never stored its first list";
    CloseHandle(stored);
    return saver;
}

// Wine enumerates values by name, Windows in the order they were made.
std::vector<BookmarkEntry> sortedBySite(std::vector<BookmarkEntry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const BookmarkEntry& a, const BookmarkEntry& b) { return a.site < b.site; });
    return entries;
}

TEST(Win32Store, AKillInTheMiddleOfASaveLeavesTheOldListOrTheNewWhole) {
    const std::string sandbox = sandboxName("kill");
    const auto registry = Win32Registry::inSandbox(sandbox);
    const auto shorter = sortedBySite(shorterSavedList());
    const auto longer = sortedBySite(longerSavedList());
    std::minstd_rand random(GetCurrentProcessId());
    for (int round = 0; round < 12; ++round) {
        HANDLE saver = startSaver(sandbox, round);
        Sleep(std::uniform_int_distribution<DWORD>(0, 400)(random));
        TerminateProcess(saver, 1);
        WaitForSingleObject(saver, INFINITE);
        CloseHandle(saver);

        const auto loaded = loadAllEntries(*registry, kSavedListsKey);
        EXPECT_FALSE(loaded.stoppedAtInvalidValue);
        const auto entries = sortedBySite(loaded.entries);
        EXPECT_TRUE(entries == shorter || entries == longer)
            << "round " << round << " left " << entries.size() << " entries";
        // Nothing of the cut-short save is left beside the list once it is read.
        EXPECT_EQ(registry->subKeyNames(RegRoot::CurrentUser, kVaultKeyPath),
                  std::vector<std::string>{"Bookmarks"});
    }
}

TEST(Win32Store, TwoProgramsSavingAtOnceEachLandEverySaveAndLeaveOneWholeList) {
    const std::string sandbox = sandboxName("twice");
    const auto registry = Win32Registry::inSandbox(sandbox);
    saveAllEntries(*registry, kSavedListsKey, shorterSavedList(), {});
    const std::string gateName = "ZintrelSaversGo" + std::to_string(GetCurrentProcessId());
    HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, gateName.c_str());
    constexpr int kSavesEach = 40;
    HANDLE savers[] = {launchSaver(sandbox, gateName + " first " + std::to_string(kSavesEach)),
                       launchSaver(sandbox, gateName + " second " + std::to_string(kSavesEach))};
    SetEvent(gate);
    ASSERT_EQ(WaitForMultipleObjects(2, savers, TRUE, 300000), WAIT_OBJECT_0);
    for (HANDLE saver : savers) {
        DWORD status = 99;
        GetExitCodeProcess(saver, &status);
        EXPECT_EQ(status, 0u) << "a save raised while the other program saved";
        CloseHandle(saver);
    }
    CloseHandle(gate);

    const auto loaded = loadAllEntries(*registry, kSavedListsKey);
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    const auto entries = sortedBySite(loaded.entries);
    EXPECT_TRUE(entries == sortedBySite(concurrentSavedList("first")) ||
                entries == sortedBySite(concurrentSavedList("second")))
        << "left " << entries.size() << " entries";
    EXPECT_EQ(registry->subKeyNames(RegRoot::CurrentUser, kVaultKeyPath),
              std::vector<std::string>{"Bookmarks"});
}

TEST(Win32Store, ASaveThatFailsHalfWayLeavesThePreviousList) {
    const auto registry = Win32Registry::inSandbox(sandboxName("halfway"));
    const auto previous = savedList(2, "previous");
    saveAllEntries(*registry, kSavedListsKey, previous, {});

    // Another program deletes whatever key the save is filling, once it
    // holds more values than the previous list.
    const auto [base, prefix] = registry->locate(RegRoot::CurrentUser);
    const std::string vaultPath = prefix + win32::canonicalKeyPath(kVaultKeyPath);
    std::atomic<bool> saving{true};
    std::atomic<bool> deleted{false};
    std::thread deleter([&, base = base] {
        while (saving && !deleted) {
            HKEY vault = nullptr;
            if (RegOpenKeyExA(base, vaultPath.c_str(), 0, KEY_READ, &vault) != ERROR_SUCCESS)
                continue;
            char name[256];
            for (DWORD index = 0; !deleted; ++index) {
                DWORD size = sizeof name;
                if (RegEnumKeyExA(vault, index, name, &size, nullptr, nullptr, nullptr,
                                  nullptr) != ERROR_SUCCESS)
                    break;
                HKEY filled = nullptr;
                DWORD values = 0;
                if (RegOpenKeyExA(vault, name, 0, KEY_READ, &filled) != ERROR_SUCCESS) continue;
                RegQueryInfoKeyA(filled, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr);
                RegCloseKey(filled);
                if (values > previous.size())
                    deleted = RegDeleteTreeA(vault, name) == ERROR_SUCCESS;
            }
            RegCloseKey(vault);
        }
    });
    EXPECT_THROW(saveAllEntries(*registry, kSavedListsKey, savedList(5000, "next"), {}),
                 RegistryError);
    saving = false;
    deleter.join();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(sortedBySite(loadAllEntries(*registry, kSavedListsKey).entries), previous);
}

}  // namespace
}  // namespace zn::testing
