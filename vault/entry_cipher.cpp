#include "vault/entry_cipher.h"

namespace zn {
namespace {

constexpr std::uint32_t kMultiplier = 134775813;  // 0x08088405
constexpr char kMarker = '*';

// Shifts every byte by one draw, up (+1) or down (-1), wrapping at 256.
void shiftBytes(std::string& text, const std::string& key, int direction) {
    CipherDraws draws = CipherDraws::fromKey(key);
    for (char& byte : text) {
        const unsigned shifted =
            static_cast<unsigned char>(byte) + static_cast<unsigned>(direction) * draws.next();
        byte = static_cast<char>(shifted & 0xFF);
    }
}

}  // namespace

CipherDraws CipherDraws::fromKey(const std::string& key) {
    std::uint32_t seed = 0;
    for (const char byte : key) seed += static_cast<unsigned char>(byte);
    return CipherDraws(seed);
}

unsigned CipherDraws::next() {
    state_ = state_ * kMultiplier + 1;
    return static_cast<unsigned>((static_cast<std::uint64_t>(state_) * 100) >> 32);
}

std::string Encipher(const std::string& plain, const std::string& key) {
    std::string text = kMarker + plain;
    shiftBytes(text, key, +1);
    return text;
}

std::string Decipher(const std::string& text, const std::string& key) {
    if (text.empty()) return {};
    std::string plain = text;
    shiftBytes(plain, key, -1);
    if (plain.front() != kMarker) return {};
    return plain.substr(1);
}

std::string MakeVerifier(const std::string& password) {
    return Encipher(password, password);
}

}  // namespace zn
