// The crypto port: the few primitives the protected vault is built from,
// each taken from the system's vetted library (libcrypto on Linux, CNG on
// Windows) and never written here. Randomness is the system's generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zn::crypto {

// A primitive the library refused: no text in it ever holds a secret.
class CryptoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kAes256KeyLength = 32;
inline constexpr std::size_t kGcmNonceLength = 12;
inline constexpr std::size_t kGcmTagLength = 16;

// Overwrites the bytes in a way the compiler may not leave out.
void wipe(void* bytes, std::size_t length);
// Wipes the text's whole buffer, then empties it.
void wipe(std::string& text);

// Key material or a typed password: wiped when it goes, never copied by accident.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {
        wipe(other.bytes_);
    }
    SecretBytes& operator=(SecretBytes&& other) noexcept {
        if (this != &other) {
            wipe(bytes_);
            bytes_ = std::move(other.bytes_);
            wipe(other.bytes_);
        }
        return *this;
    }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes() { wipe(bytes_); }

    std::string_view view() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }

private:
    std::string bytes_;
};

// Bytes from the system's generator; raises CryptoError when it fails.
std::string randomBytes(std::size_t count);

// PBKDF2 with HMAC-SHA256 (RFC 8018), `length` bytes of output.
SecretBytes pbkdf2Sha256(std::string_view password, std::string_view salt, std::uint32_t iterations,
                         std::size_t length);

// AES-256 in Galois/counter mode with a 12-byte nonce and a 16-byte tag. The
// key is set up once, so that a whole list is sealed over one context.
class Aes256Gcm {
public:
    explicit Aes256Gcm(std::string_view key);
    ~Aes256Gcm();
    Aes256Gcm(const Aes256Gcm&) = delete;
    Aes256Gcm& operator=(const Aes256Gcm&) = delete;

    // Appends the cipher text (as long as plain) and then the tag to out.
    void seal(std::string_view nonce, std::string_view associated, std::string_view plain,
              std::string& out);
    // Deciphers cipher text followed by its tag into plain (replaced). False
    // when the tag does not match or the text is shorter than a tag: plain is
    // then empty, and nothing of a forgery is ever handed back.
    bool open(std::string_view nonce, std::string_view associated, std::string_view sealed,
              std::string& plain);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace zn::crypto
