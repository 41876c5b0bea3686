// The key every entry is sealed and opened with: the stored verifier of an
// old vault, or the key derived from the master password of a protected one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/crypto.h"
#include "vault/entry_cipher.h"

namespace zn {

class EntryKey {
public:
    virtual ~EntryKey() = default;
    virtual bool isProtected() const = 0;
    // The text a string value stores for this record (less its terminating zero).
    virtual std::string seal(std::string_view record) = 0;
    // Reads a stored text back into record (its buffer reused); false when
    // the text was not sealed under this key, or was altered since.
    virtual bool open(std::string_view stored, std::string& record) = 0;
};

// An old vault's key: the legacy cipher under the stored verifier.
class LegacyEntryKey final : public EntryKey {
public:
    explicit LegacyEntryKey(const std::string& verifier) : cipher_(verifier) {}
    bool isProtected() const override { return false; }
    std::string seal(std::string_view record) override;
    bool open(std::string_view stored, std::string& record) override;

private:
    CipherKeystream cipher_;
};

// A protected vault's key: AES-256-GCM under the key derived from the master
// password, with a fresh random nonce for every text it seals.
class ProtectedEntryKey final : public EntryKey {
public:
    explicit ProtectedEntryKey(const crypto::SecretBytes& key) : aead_(key.view()) {}
    bool isProtected() const override { return true; }
    std::string seal(std::string_view record) override;
    bool open(std::string_view stored, std::string& record) override;
    // seal with the nonce given instead of a random one: for fixed vectors only.
    std::string sealWithNonce(std::string_view nonce, std::string_view record);

private:
    crypto::Aes256Gcm aead_;
    std::string sealed_;  // one buffer for every text sealed
    std::string opened_;  // and one for every text opened
    std::string nonces_;  // random, each taken once
    std::size_t nextNonce_ = 0;
};

}  // namespace zn
