// A password change killed half-way, on the real store (SQLite on Linux, the
// registry itself on Windows): the program dies after the new header is
// written, after the entries sealed under it are, or after their batch
// commits, and the store is then read as the next run would read it.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_registry.h"
#else
#include "platform/linux/sqlite_registry.h"
#include "tests/fakes/temp_folder.h"
#endif
#include "tests/app/app_fixture.h"

namespace zn::testing {
namespace {

enum class KillPoint { AfterHeader, AfterEntries, AfterCommit };

#ifdef _WIN32
[[noreturn]] void killThisProgram() {
    TerminateProcess(GetCurrentProcess(), 9);
    for (;;) {
    }
}
const auto killed = ::testing::ExitedWithCode(9);

// The registry in a sandbox of this test's own; the killed program, started
// afresh by the death test, shares it.
class NativeStore {
public:
    explicit NativeStore(const std::string& name)
        : sandbox_("Software\\ZintrelTests\\KilledPasswordChange-" + name),
          owner_(win32::Win32Registry::inSandbox(sandbox_)) {}
    std::unique_ptr<Registry> open() { return win32::Win32Registry::sharingSandbox(sandbox_); }

private:
    std::string sandbox_;
    std::unique_ptr<win32::Win32Registry> owner_;
};
#else
[[noreturn]] void killThisProgram() {
    std::raise(SIGKILL);
    for (;;) {
    }
}
const auto killed = ::testing::KilledBySignal(SIGKILL);

class NativeStore {
public:
    explicit NativeStore(const std::string&) {}
    std::unique_ptr<Registry> open() {
        return SqliteRegistry::open((folder_ / "registry.db").string(),
                                    {.busyTimeoutMs = 5000,
                                     .autostartFolder = folder_ / "autostart",
                                     .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
    }

private:
    TempFolder folder_;
};
#endif

// The store, but the program is killed at the chosen point of the first
// batch, the password change's: as a crash or a kill -9 would end it.
class KillingRegistry : public Registry {
public:
    KillingRegistry(Registry& store, KillPoint point) : store_(store), point_(point) {}

    std::unique_ptr<RegistryKey> openKey(RegRoot root, const std::string& path,
                                         bool create) override {
        auto key = store_.openKey(root, path, create);
        return key ? std::make_unique<Key>(std::move(key), *this) : nullptr;
    }
    bool deleteKey(RegRoot root, const std::string& path) override {
        return store_.deleteKey(root, path);
    }
    std::unique_ptr<RegistryBatch> beginBatch() override {
        return std::make_unique<Batch>(store_.beginBatch(), *this);
    }

private:
    class Key : public RegistryKey {
    public:
        Key(std::unique_ptr<RegistryKey> key, KillingRegistry& owner)
            : key_(std::move(key)), owner_(owner) {}
        std::optional<RegValue> readValue(const std::string& name) const override {
            return key_->readValue(name);
        }
        void writeValue(const std::string& name, const RegValue& value) override {
            key_->writeValue(name, value);
            if (name == kPasswordValue) owner_.reached(KillPoint::AfterHeader);
        }
        bool deleteValue(const std::string& name) override { return key_->deleteValue(name); }
        std::vector<std::string> valueNames() const override { return key_->valueNames(); }
        void forEachValue(const ValueVisitor& visit) const override { key_->forEachValue(visit); }
        void replaceContents(const std::vector<NamedValue>& values) override {
            key_->replaceContents(values);
            owner_.reached(KillPoint::AfterEntries);
        }

    private:
        std::unique_ptr<RegistryKey> key_;
        KillingRegistry& owner_;
    };

    class Batch : public RegistryBatch {
    public:
        Batch(std::unique_ptr<RegistryBatch> batch, KillingRegistry& owner)
            : batch_(std::move(batch)), owner_(owner) {
            owner_.inBatch_ = true;
        }
        ~Batch() override { owner_.inBatch_ = false; }
        void commit() override {
            batch_->commit();
            owner_.reached(KillPoint::AfterCommit);
        }

    private:
        std::unique_ptr<RegistryBatch> batch_;
        KillingRegistry& owner_;
    };

    // The password change is the run's first batch: nothing is saved before it.
    void reached(KillPoint point) {
        if (inBatch_ && point == point_) killThisProgram();
    }

    Registry& store_;
    KillPoint point_;
    bool inBatch_ = false;
};

const char* pointName(KillPoint point) {
    switch (point) {
        case KillPoint::AfterHeader:
            return "AfterHeader";
        case KillPoint::AfterEntries:
            return "AfterEntries";
        case KillPoint::AfterCommit:
            break;
    }
    return "AfterCommit";
}

class KilledPasswordChange : public AppFixture, public ::testing::WithParamInterface<KillPoint> {
protected:
    // The program's run, on the real store: unlock, then a new password.
    void changePassword() {
        const auto store = native.open();
        KillingRegistry killing(*store, GetParam());
        auto wired = services(kProgramPath);
        MainWindowServices onStore{killing,         wired.messages, wired.timers, wired.collation,
                                   wired.hotkeys,   wired.keyboard, wired.tray,   wired.dialogs,
                                   wired.clipboard, wired.shell,    kProgramPath, {}};
        onStore.newVaultIterations = kTestIterations;
        TForm1 program(onStore, view);
        view.attach(program);
        program.FormCreate();
        while (timers.fireNext()) {
        }
        view.passwordField = kMasterPassword;
        program.UnlockClick();
        dialogs.typePasswords({"new-password", "new-password"});
        dialogs.useOptions({[](TwOptions& d) { d.ChangePasswordClick(); }});
        program.BitBtn6Click();
    }

    NativeStore native{pointName(GetParam())};
};

TEST_P(KilledPasswordChange, LeavesTheOldVaultOrTheNewOne) {
    const std::vector<BookmarkEntry> entries = {{"http://a.example", "A", "ann", "pw1"},
                                                {"http://b.example", "B", "bob", "pw2"}};
    {
        const auto store = native.open();
        const auto vault = protectVault(kMasterPassword, kTestIterations);
        store->openKey(RegRoot::CurrentUser, kVaultKeyPath, true)
            ->writeString(kPasswordValue, vault.headerText);
        saveAllEntries(*store, *vault.key, entries, {});
    }

    EXPECT_EXIT(changePassword(), killed, "") << "the change was not killed half-way";

    const auto store = native.open();
    const std::string stored =
        store->openKey(RegRoot::CurrentUser, kVaultKeyPath, false)->readString(kPasswordValue);
    const bool committed = GetParam() == KillPoint::AfterCommit;
    EXPECT_EQ(!unlockAnyVault(stored, kMasterPassword), committed);
    const auto key = unlockAnyVault(stored, committed ? "new-password" : kMasterPassword);
    ASSERT_TRUE(key);
    const auto loaded = loadAllEntries(*store, *key);
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    EXPECT_EQ(loaded.entries, entries);
}

INSTANTIATE_TEST_SUITE_P(AtEachStepOfTheChange, KilledPasswordChange,
                         ::testing::Values(KillPoint::AfterHeader, KillPoint::AfterEntries,
                                           KillPoint::AfterCommit),
                         [](const auto& point) { return std::string(pointName(point.param)); });

}  // namespace
}  // namespace zn::testing
