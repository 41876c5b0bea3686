// A main window wired to fakes of every port, for driving whole flows.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "tests/fakes/fake_services.h"
#include "vault/entry_cipher.h"
#include "vault/protected_vault.h"

namespace zn::testing {

inline constexpr const char* kProgramPath = "/home/user/.local/opt/znvault/znvault";
inline constexpr const char* kMasterPassword = "correct horse";

class AppFixture : public ::testing::Test, protected FakeServices {
protected:
    // A vault set up earlier by this version: its header and these entries are stored.
    void storeVault(const std::vector<BookmarkEntry>& entries,
                    const std::string& password = kMasterPassword) {
        const auto vault = protectVault(password, kTestIterations);
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password",
                          {RegType::String, vault.headerText + '\0'});
        saveAllEntries(registry, *vault.key, entries, {});
    }

    // A vault an earlier version set up, in the old format.
    void storeOldVault(const std::vector<BookmarkEntry>& entries,
                       const std::string& password = kMasterPassword) {
        const std::string verifier = MakeVerifier(password);
        registry.setValue(RegRoot::CurrentUser, kVaultKeyPath, "Password",
                          {RegType::String, verifier + '\0'});
        saveAllEntries(registry, verifier, entries, {});
    }

    // Starts the program afresh on the same store, as a new run would.
    TForm1& start(std::vector<std::string> arguments = {}) {
        timers.pending.clear();
        form.reset();
        form = std::make_unique<TForm1>(services(kProgramPath, std::move(arguments)), view);
        view.attach(*form);
        form->FormCreate();
        EXPECT_EQ(timers.nextDelay(), kStartDelayMs);
        timers.fireNext();
        return *form;
    }

    // Start, let the first view appear, and unlock with the master password.
    TForm1& startUnlocked() {
        start();
        timers.fireNext();
        view.passwordField = kMasterPassword;
        form->UnlockClick();
        return *form;
    }

    std::vector<std::string> siteColumn() const {
        std::vector<std::string> sites;
        for (std::size_t row = 0; row < form->list().size(); ++row)
            sites.push_back(form->list().at(row).site);
        return sites;
    }

    // The entries as the store holds them, read with the program's key.
    std::vector<BookmarkEntry> storedEntries() {
        if (form && form->entryKey()) return loadAllEntries(registry, *form->entryKey()).entries;
        return storedEntries(kMasterPassword);
    }

    // The same read afresh with a password, as the next run would.
    std::vector<BookmarkEntry> storedEntries(const std::string& password) {
        const auto key = unlockAnyVault(storedPassword(), password);
        if (!key) ADD_FAILURE() << "the stored vault does not open with " << password;
        return key ? loadAllEntries(registry, *key).entries : std::vector<BookmarkEntry>{};
    }

    std::string storedPassword() {
        const auto value = registry.value(RegRoot::CurrentUser, kVaultKeyPath, "Password");
        return value ? decodeStringData(value->data) : std::string();
    }

    FakeMainWindowView view;
    std::unique_ptr<TForm1> form;
};

}  // namespace zn::testing
