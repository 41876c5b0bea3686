// The protected vault: the "Password" value holds a versioned header (the
// key derivation's parameters, its salt and a check tag) instead of the old
// verifier, and every entry is sealed under the key derived from the master
// password. docs/vault-format.md describes every byte.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "vault/entry_key.h"

namespace zn {

// Every protected text starts with it. An old verifier or entry never can:
// its first byte is "*" shifted up by 0 to 99, 0x2A to 0x8D, and "$" is 0x24.
inline constexpr std::string_view kProtectedPrefix = "$zn$";
inline constexpr std::uint8_t kProtectedFormatVersion = 1;
inline constexpr std::uint8_t kKeyDerivationPbkdf2Sha256 = 1;
// What a new vault costs per unlock: some half a second on a current machine.
inline constexpr std::uint32_t kNewVaultIterations = 600000;
// A header asking for more is damaged: an unlock would never end.
inline constexpr std::uint32_t kMostIterations = 20'000'000;
inline constexpr std::size_t kNewVaultSaltLength = 16;
inline constexpr std::size_t kLeastSaltLength = 16;
inline constexpr std::size_t kMostSaltLength = 64;

// True when a stored "Password" text (or entry text) is in the protected format.
bool isProtectedText(std::string_view stored);

struct VaultHeader {
    std::uint32_t iterations = 0;
    std::string salt;
    std::string checkNonce;
    std::string checkTag;
};

// nullopt when the text is not a well-formed header of a version we read.
std::optional<VaultHeader> parseVaultHeader(std::string_view text);
std::string vaultHeaderText(const VaultHeader& header);

struct ProtectedVault {
    std::string headerText;  // what "Password" holds
    std::unique_ptr<ProtectedEntryKey> key;
};

// A new vault for this password: a fresh random salt and check nonce, and
// one key derivation.
ProtectedVault protectVault(std::string_view password, std::uint32_t iterations);
// The same with the salt and the check nonce given: for fixed vectors only.
ProtectedVault protectVault(std::string_view password, std::uint32_t iterations, std::string salt,
                            std::string checkNonce);

// One key derivation. nullptr when the password is wrong or the header
// damaged: the two cannot be told apart, and need not be.
std::unique_ptr<ProtectedEntryKey> unlockVault(std::string_view headerText,
                                               std::string_view password);

// The entry key of either format when the typed password opens the vault
// whose "Password" holds storedPassword; nullptr when it does not.
std::unique_ptr<EntryKey> unlockAnyVault(const std::string& storedPassword,
                                         std::string_view password);

}  // namespace zn
