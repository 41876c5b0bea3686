// The crypto port over libcrypto (OpenSSL 3).
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <climits>

#include "platform/crypto.h"

namespace zn::crypto {
namespace {

unsigned char* bytesOf(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}

const unsigned char* bytesOf(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

int lengthOf(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw CryptoError("Text too long");
    return static_cast<int>(text.size());
}

// The tag as a cipher parameter, handed to the provider as it is: the
// control call would build this parameter afresh for every text.
bool tagParameter(EVP_CIPHER_CTX* context, unsigned char* tag, bool read) {
    OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_octet_string(OSSL_CIPHER_PARAM_AEAD_TAG, tag, kGcmTagLength),
        OSSL_PARAM_construct_end()};
    return (read ? EVP_CIPHER_CTX_get_params(context, parameters)
                 : EVP_CIPHER_CTX_set_params(context, parameters)) == 1;
}

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

}  // namespace

void wipe(void* bytes, std::size_t length) {
    if (length != 0) OPENSSL_cleanse(bytes, length);
}

void wipe(std::string& text) {
    wipe(text.data(), text.capacity());
    text.clear();
}

std::string randomBytes(std::size_t count) {
    std::string bytes(count, '\0');
    if (count != 0 && RAND_bytes(bytesOf(bytes), lengthOf(bytes)) != 1)
        throw CryptoError("The system's random generator failed");
    return bytes;
}

SecretBytes pbkdf2Sha256(std::string_view password, std::string_view salt, std::uint32_t iterations,
                         std::size_t length) {
    std::string key(length, '\0');
    SecretBytes secret;
    if (iterations == 0 || iterations > static_cast<std::uint32_t>(INT_MAX) ||
        PKCS5_PBKDF2_HMAC(password.data(), lengthOf(password), bytesOf(salt), lengthOf(salt),
                          static_cast<int>(iterations), EVP_sha256(), lengthOf(key),
                          bytesOf(key)) != 1) {
        wipe(key);
        throw CryptoError("The key derivation failed");
    }
    return SecretBytes(std::move(key));
}

struct Aes256Gcm::Context {
    CipherContext seal{EVP_CIPHER_CTX_new()};
    CipherContext open{EVP_CIPHER_CTX_new()};
};

Aes256Gcm::Aes256Gcm(std::string_view key) : context_(std::make_unique<Context>()) {
    if (key.size() != kAes256KeyLength || !context_->seal || !context_->open ||
        EVP_EncryptInit_ex(context_->seal.get(), EVP_aes_256_gcm(), nullptr, bytesOf(key),
                           nullptr) != 1 ||
        EVP_DecryptInit_ex(context_->open.get(), EVP_aes_256_gcm(), nullptr, bytesOf(key),
                           nullptr) != 1)
        throw CryptoError("The cipher could not be set up");
}

Aes256Gcm::~Aes256Gcm() = default;

void Aes256Gcm::seal(std::string_view nonce, std::string_view associated, std::string_view plain,
                     std::string& out) {
    EVP_CIPHER_CTX* context = context_->seal.get();
    const std::size_t start = out.size();
    out.resize(start + plain.size() + kGcmTagLength);
    auto* sealed = bytesOf(out) + start;
    int written = 0;
    int finished = 0;
    // A null key keeps the one set up; the nonce is set afresh for each text.
    if (nonce.size() != kGcmNonceLength ||
        EVP_EncryptInit_ex(context, nullptr, nullptr, nullptr, bytesOf(nonce)) != 1 ||
        (!associated.empty() && EVP_EncryptUpdate(context, nullptr, &written, bytesOf(associated),
                                                  lengthOf(associated)) != 1) ||
        EVP_EncryptUpdate(context, sealed, &written, bytesOf(plain), lengthOf(plain)) != 1 ||
        EVP_EncryptFinal_ex(context, sealed + written, &finished) != 1 ||
        !tagParameter(context, sealed + plain.size(), true)) {
        wipe(out);
        throw CryptoError("The cipher failed");
    }
}

bool Aes256Gcm::open(std::string_view nonce, std::string_view associated, std::string_view sealed,
                     std::string& plain) {
    plain.clear();
    if (nonce.size() != kGcmNonceLength || sealed.size() < kGcmTagLength) return false;
    EVP_CIPHER_CTX* context = context_->open.get();
    const std::string_view text = sealed.substr(0, sealed.size() - kGcmTagLength);
    // Only read, whatever the type says: the tag is copied into the context.
    auto* tag = const_cast<unsigned char*>(bytesOf(sealed) + text.size());
    plain.resize(text.size());
    int written = 0;
    int finished = 0;
    const bool authentic =
        EVP_DecryptInit_ex(context, nullptr, nullptr, nullptr, bytesOf(nonce)) == 1 &&
        (associated.empty() || EVP_DecryptUpdate(context, nullptr, &written, bytesOf(associated),
                                                 lengthOf(associated)) == 1) &&
        EVP_DecryptUpdate(context, bytesOf(plain), &written, bytesOf(text), lengthOf(text)) == 1 &&
        tagParameter(context, tag, false) &&
        EVP_DecryptFinal_ex(context, bytesOf(plain) + written, &finished) == 1;
    if (!authentic) wipe(plain);
    return authentic;
}

}  // namespace zn::crypto
