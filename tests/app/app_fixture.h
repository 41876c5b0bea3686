// A main window wired to fakes of every port, for driving whole flows.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "tests/fakes/fake_services.h"
#include "vault/entry_cipher.h"

namespace zn::testing {

inline constexpr const char* kProgramPath = "/home/user/.local/opt/znvault/znvault";
inline constexpr const char* kMasterPassword = "correct horse";

class AppFixture : public ::testing::Test, protected FakeServices {
protected:
    // A vault set up earlier: its verifier and these entries are stored.
    void storeVault(const std::vector<BookmarkEntry>& entries,
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

    std::vector<BookmarkEntry> storedEntries() {
        return loadAllEntries(registry, form->verifier()).entries;
    }

    FakeMainWindowView view;
    std::unique_ptr<TForm1> form;
};

}  // namespace zn::testing
