#include "vault/entry_key.h"

#include "vault/base64.h"
#include "vault/protected_vault.h"

namespace zn {
namespace {

// An entry's bytes: the format version, the nonce, then the sealed record
// and its tag. The version byte is also what the tag covers besides the record.
constexpr std::size_t kEntryNonceAt = 1;
constexpr std::size_t kEntrySealedAt = kEntryNonceAt + crypto::kGcmNonceLength;

std::string_view entryAssociatedData() {
    static constexpr char version = static_cast<char>(kProtectedFormatVersion);
    return {&version, 1};
}

}  // namespace

std::string LegacyEntryKey::seal(std::string_view record) {
    return cipher_.encipher(std::string(record));
}

bool LegacyEntryKey::open(std::string_view stored, std::string& record) {
    return cipher_.decipherInto(stored, record);
}

std::string ProtectedEntryKey::seal(std::string_view record) {
    // The system's generator costs most per call, not per byte: nonces are
    // drawn from it for many texts at once, each still used only once.
    constexpr std::size_t kNoncesPerDraw = 256;
    if (nextNonce_ == nonces_.size()) {
        nonces_ = crypto::randomBytes(kNoncesPerDraw * crypto::kGcmNonceLength);
        nextNonce_ = 0;
    }
    const std::string_view nonce =
        std::string_view(nonces_).substr(nextNonce_, crypto::kGcmNonceLength);
    nextNonce_ += crypto::kGcmNonceLength;
    return sealWithNonce(nonce, record);
}

std::string ProtectedEntryKey::sealWithNonce(std::string_view nonce, std::string_view record) {
    sealed_.clear();
    sealed_.push_back(static_cast<char>(kProtectedFormatVersion));
    sealed_.append(nonce);
    aead_.seal(nonce, entryAssociatedData(), record, sealed_);
    std::string text;
    // Room for the terminating zero the store adds, so that adding it never copies.
    text.reserve(kProtectedPrefix.size() + (sealed_.size() + 2) / 3 * 4 + 1);
    text.append(kProtectedPrefix);
    base64EncodeAppend(sealed_, text);
    return text;
}

bool ProtectedEntryKey::open(std::string_view stored, std::string& record) {
    record.clear();
    if (!isProtectedText(stored)) return false;
    if (!base64DecodeInto(stored.substr(kProtectedPrefix.size()), opened_) ||
        opened_.size() < kEntrySealedAt + crypto::kGcmTagLength ||
        static_cast<std::uint8_t>(opened_[0]) != kProtectedFormatVersion)
        return false;
    const std::string_view view(opened_);
    return aead_.open(view.substr(kEntryNonceAt, crypto::kGcmNonceLength), entryAssociatedData(),
                      view.substr(kEntrySealedAt), record);
}

}  // namespace zn
