// A password change killed half-way, on the real store: the process dies
// after the new header and entries are written, before or after their batch
// commits, and the store is then read as the next run would read it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/sqlite_registry.h"
#include "tests/app/app_fixture.h"
#include "tests/fakes/temp_folder.h"

namespace zn::testing {
namespace {

enum class KillPoint { BeforeCommit, AfterCommit };

// The store, but the process is killed at the chosen point of the first batch
// that replaces the entries: as a crash or a kill -9 would end it.
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
        }
        bool deleteValue(const std::string& name) override { return key_->deleteValue(name); }
        std::vector<std::string> valueNames() const override { return key_->valueNames(); }
        void forEachValue(const ValueVisitor& visit) const override { key_->forEachValue(visit); }
        void replaceContents(const std::vector<NamedValue>& values) override {
            key_->replaceContents(values);
            if (owner_.point_ == KillPoint::BeforeCommit) owner_.killInBatch();
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
            if (owner_.point_ == KillPoint::AfterCommit) ::raise(SIGKILL);
        }

    private:
        std::unique_ptr<RegistryBatch> batch_;
        KillingRegistry& owner_;
    };

    // Only the password change writes its entries inside a batch it holds open.
    void killInBatch() {
        if (inBatch_ && ++batchedReplaces_ == 1) ::raise(SIGKILL);
    }

    Registry& store_;
    KillPoint point_;
    bool inBatch_ = false;
    int batchedReplaces_ = 0;
};

class KilledPasswordChange : public AppFixture, public ::testing::WithParamInterface<KillPoint> {
protected:
    std::unique_ptr<SqliteRegistry> openStore() {
        return SqliteRegistry::open((folder / "registry.db").string(),
                                    {.busyTimeoutMs = 5000,
                                     .autostartFolder = folder / "autostart",
                                     .shellFolders = ShellFolderPaths{"/d", "/s", "/f"}});
    }

    TempFolder folder;
};

TEST_P(KilledPasswordChange, LeavesTheOldVaultOrTheNewOne) {
    const std::vector<BookmarkEntry> entries = {{"http://a.example", "A", "ann", "pw1"},
                                                {"http://b.example", "B", "bob", "pw2"}};
    {
        const auto store = openStore();
        const auto vault = protectVault(kMasterPassword, kTestIterations);
        store->openKey(RegRoot::CurrentUser, kVaultKeyPath, true)
            ->writeString("Password", vault.headerText);
        saveAllEntries(*store, *vault.key, entries, {});
    }

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // The program's run, on the real store: unlock, then a new password.
        const auto store = openStore();
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
        ::_exit(3);  // never reached: the kill comes first
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the change was not killed half-way";

    const auto store = openStore();
    const std::string stored =
        store->openKey(RegRoot::CurrentUser, kVaultKeyPath, false)->readString("Password");
    const bool committed = GetParam() == KillPoint::AfterCommit;
    EXPECT_EQ(!unlockAnyVault(stored, kMasterPassword), committed);
    const auto key = unlockAnyVault(stored, committed ? "new-password" : kMasterPassword);
    ASSERT_TRUE(key);
    const auto loaded = loadAllEntries(*store, *key);
    EXPECT_FALSE(loaded.stoppedAtInvalidValue);
    EXPECT_EQ(loaded.entries, entries);
}

INSTANTIATE_TEST_SUITE_P(AtEitherSideOfTheCommit, KilledPasswordChange,
                         ::testing::Values(KillPoint::BeforeCommit, KillPoint::AfterCommit),
                         [](const auto& point) {
                             return point.param == KillPoint::BeforeCommit ? "BeforeCommit"
                                                                           : "AfterCommit";
                         });

}  // namespace
}  // namespace zn::testing
