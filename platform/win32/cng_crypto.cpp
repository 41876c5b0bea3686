// The crypto port over the Windows CNG API (bcrypt).
#include <windows.h>
// bcrypt.h after windows.h, which it needs.
#include <bcrypt.h>

#include <climits>

#include "platform/crypto.h"

namespace zn::crypto {
namespace {

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

PUCHAR bytesOf(std::string& text) {
    return reinterpret_cast<PUCHAR>(text.data());
}

// CNG takes its inputs through non-const pointers that it only reads.
PUCHAR bytesOf(std::string_view text) {
    return reinterpret_cast<PUCHAR>(const_cast<char*>(text.data()));
}

ULONG lengthOf(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(ULONG_MAX)) throw CryptoError("Text too long");
    return static_cast<ULONG>(text.size());
}

class AlgorithmHandle {
public:
    AlgorithmHandle(LPCWSTR algorithm, ULONG flags) {
        if (!succeeded(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags)))
            handle_ = nullptr;
    }
    ~AlgorithmHandle() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    AlgorithmHandle(const AlgorithmHandle&) = delete;
    AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

void wipe(void* bytes, std::size_t length) {
    if (length != 0) SecureZeroMemory(bytes, length);
}

void wipe(std::string& text) {
    wipe(text.data(), text.capacity());
    text.clear();
}

std::string randomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (count != 0 && !succeeded(BCryptGenRandom(nullptr, bytesOf(bytes), lengthOf(bytes),
                                                 BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw CryptoError("The system's random generator failed");
    return bytes;
}

SecretBytes pbkdf2Sha256(std::string_view password, std::string_view salt, std::uint32_t iterations,
                         std::size_t length) {
    const AlgorithmHandle hmac(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    std::string key(length, '\0');
    if (!hmac.get() || iterations == 0 ||
        !succeeded(BCryptDeriveKeyPBKDF2(hmac.get(), bytesOf(password), lengthOf(password),
                                         bytesOf(salt), lengthOf(salt), iterations, bytesOf(key),
                                         lengthOf(key), 0))) {
        wipe(key);
        throw CryptoError("The key derivation failed");
    }
    return SecretBytes(std::move(key));
}

struct Aes256Gcm::Context {
    AlgorithmHandle aes{BCRYPT_AES_ALGORITHM, 0};
    BCRYPT_KEY_HANDLE key = nullptr;

    Context() = default;
    ~Context() {
        if (key) BCryptDestroyKey(key);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};

Aes256Gcm::Aes256Gcm(std::string_view key) : context_(std::make_unique<Context>()) {
    const BCRYPT_ALG_HANDLE aes = context_->aes.get();
    if (key.size() != kAes256KeyLength || !aes ||
        !succeeded(
            BCryptSetProperty(aes, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                              sizeof(BCRYPT_CHAIN_MODE_GCM), 0)) ||
        !succeeded(BCryptGenerateSymmetricKey(aes, &context_->key, nullptr, 0, bytesOf(key),
                                              lengthOf(key), 0)))
        throw CryptoError("The cipher could not be set up");
}

Aes256Gcm::~Aes256Gcm() = default;

namespace {

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO modeInfo(std::string_view nonce, std::string_view associated,
                                               PUCHAR tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = bytesOf(nonce);
    info.cbNonce = lengthOf(nonce);
    info.pbAuthData = associated.empty() ? nullptr : bytesOf(associated);
    info.cbAuthData = lengthOf(associated);
    info.pbTag = tag;
    info.cbTag = static_cast<ULONG>(kGcmTagLength);
    return info;
}

}  // namespace

void Aes256Gcm::seal(std::string_view nonce, std::string_view associated, std::string_view plain,
                     std::string& out) {
    if (nonce.size() != kGcmNonceLength) throw CryptoError("The cipher failed");
    const std::size_t start = out.size();
    out.resize(start + plain.size() + kGcmTagLength);
    PUCHAR sealed = bytesOf(out) + start;
    auto info = modeInfo(nonce, associated, sealed + plain.size());
    ULONG written = 0;
    if (!succeeded(BCryptEncrypt(context_->key, plain.empty() ? nullptr : bytesOf(plain),
                                 lengthOf(plain), &info, nullptr, 0,
                                 plain.empty() ? nullptr : sealed, lengthOf(plain), &written, 0)) ||
        written != plain.size()) {
        wipe(out);
        throw CryptoError("The cipher failed");
    }
}

bool Aes256Gcm::open(std::string_view nonce, std::string_view associated, std::string_view sealed,
                     std::string& plain) {
    plain.clear();
    if (nonce.size() != kGcmNonceLength || sealed.size() < kGcmTagLength) return false;
    const std::string_view text = sealed.substr(0, sealed.size() - kGcmTagLength);
    const std::string_view tag = sealed.substr(text.size());
    if (text.empty()) {
        // Some CNG implementations (Wine's) accept any tag when there is no
        // text to decipher: the tag is made afresh and compared instead.
        std::string expected;
        seal(nonce, associated, {}, expected);
        unsigned char difference = 0;
        for (std::size_t i = 0; i < kGcmTagLength; ++i)
            difference |= static_cast<unsigned char>(expected[i] ^ tag[i]);
        return difference == 0;
    }
    auto info = modeInfo(nonce, associated, bytesOf(tag));
    plain.resize(text.size());
    ULONG written = 0;
    const bool authentic =
        succeeded(BCryptDecrypt(context_->key, bytesOf(text), lengthOf(text), &info, nullptr, 0,
                                bytesOf(plain), lengthOf(text), &written, 0)) &&
        written == text.size();
    if (!authentic) wipe(plain);
    return authentic;
}

}  // namespace zn::crypto
