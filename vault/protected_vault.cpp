#include "vault/protected_vault.h"

#include "vault/base64.h"

namespace zn {
namespace {

// The header's bytes: version, key derivation, iterations (big-endian),
// salt length, salt, check nonce, check tag. The tag seals nothing under
// the derived key, covering every byte before it.
constexpr std::size_t kIterationsAt = 2;
constexpr std::size_t kSaltLengthAt = 6;
constexpr std::size_t kSaltAt = 7;

std::string headerBytesBeforeTag(const VaultHeader& header) {
    std::string bytes;
    bytes.push_back(static_cast<char>(kProtectedFormatVersion));
    bytes.push_back(static_cast<char>(kKeyDerivationPbkdf2Sha256));
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((header.iterations >> shift) & 0xFF));
    bytes.push_back(static_cast<char>(header.salt.size()));
    bytes += header.salt;
    bytes += header.checkNonce;
    return bytes;
}

crypto::SecretBytes deriveKey(std::string_view password, const VaultHeader& header) {
    return crypto::pbkdf2Sha256(password, header.salt, header.iterations, crypto::kAes256KeyLength);
}

}  // namespace

bool isProtectedText(std::string_view stored) {
    return stored.substr(0, kProtectedPrefix.size()) == kProtectedPrefix;
}

std::optional<VaultHeader> parseVaultHeader(std::string_view text) {
    if (!isProtectedText(text)) return std::nullopt;
    const auto bytes = base64Decode(text.substr(kProtectedPrefix.size()));
    if (!bytes || bytes->size() < kSaltAt) return std::nullopt;
    const auto byteAt = [&bytes](std::size_t at) {
        return static_cast<unsigned char>((*bytes)[at]);
    };
    if (byteAt(0) != kProtectedFormatVersion || byteAt(1) != kKeyDerivationPbkdf2Sha256)
        return std::nullopt;
    VaultHeader header;
    for (std::size_t at = kIterationsAt; at < kSaltLengthAt; ++at)
        header.iterations = header.iterations << 8 | byteAt(at);
    const std::size_t saltLength = byteAt(kSaltLengthAt);
    if (header.iterations == 0 || header.iterations > kMostIterations ||
        saltLength < kLeastSaltLength || saltLength > kMostSaltLength ||
        bytes->size() != kSaltAt + saltLength + crypto::kGcmNonceLength + crypto::kGcmTagLength)
        return std::nullopt;
    header.salt = bytes->substr(kSaltAt, saltLength);
    header.checkNonce = bytes->substr(kSaltAt + saltLength, crypto::kGcmNonceLength);
    header.checkTag = bytes->substr(kSaltAt + saltLength + crypto::kGcmNonceLength);
    return header;
}

std::string vaultHeaderText(const VaultHeader& header) {
    std::string text(kProtectedPrefix);
    text += base64Encode(headerBytesBeforeTag(header) + header.checkTag);
    return text;
}

ProtectedVault protectVault(std::string_view password, std::uint32_t iterations) {
    return protectVault(password, iterations, crypto::randomBytes(kNewVaultSaltLength),
                        crypto::randomBytes(crypto::kGcmNonceLength));
}

ProtectedVault protectVault(std::string_view password, std::uint32_t iterations, std::string salt,
                            std::string checkNonce) {
    VaultHeader header{iterations, std::move(salt), std::move(checkNonce), {}};
    const crypto::SecretBytes key = deriveKey(password, header);
    crypto::Aes256Gcm check(key.view());
    check.seal(header.checkNonce, headerBytesBeforeTag(header), {}, header.checkTag);
    return {vaultHeaderText(header), std::make_unique<ProtectedEntryKey>(key)};
}

std::unique_ptr<ProtectedEntryKey> unlockVault(std::string_view headerText,
                                               std::string_view password) {
    const auto header = parseVaultHeader(headerText);
    if (!header) return nullptr;
    const crypto::SecretBytes key = deriveKey(password, *header);
    crypto::Aes256Gcm check(key.view());
    std::string nothing;
    if (!check.open(header->checkNonce, headerBytesBeforeTag(*header), header->checkTag, nothing))
        return nullptr;
    return std::make_unique<ProtectedEntryKey>(key);
}

std::unique_ptr<EntryKey> unlockAnyVault(const std::string& storedPassword,
                                         std::string_view password) {
    if (isProtectedText(storedPassword)) return unlockVault(storedPassword, password);
    std::string typed(password);
    std::string verifier = MakeVerifier(typed);
    const bool matches = !storedPassword.empty() && verifier == storedPassword;
    // The old verifier gives the password away at once: it lives no longer than this.
    crypto::wipe(verifier);
    crypto::wipe(typed);
    if (!matches) return nullptr;
    return std::make_unique<LegacyEntryKey>(storedPassword);
}

}  // namespace zn
