#include "vault/entry_cipher.h"

#include <algorithm>
#include <cstring>

namespace zn {
namespace {

constexpr std::uint32_t kMultiplier = 134775813;  // 0x08088405
constexpr char kMarker = '*';

// Sixteen bytes are worked at once as a vector, each wrapping at 256 on its own.
using ByteVector = unsigned char __attribute__((vector_size(16)));

// out[i] = in[i] op shift[i] for `length` bytes.
template <typename Op>
void shiftBytes(unsigned char* out, const unsigned char* in, const unsigned char* shift,
                std::size_t length, Op op) {
    std::size_t i = 0;
    for (; i + sizeof(ByteVector) <= length; i += sizeof(ByteVector)) {
        ByteVector bytes;
        ByteVector by;
        std::memcpy(&bytes, in + i, sizeof bytes);
        std::memcpy(&by, shift + i, sizeof by);
        bytes = op(bytes, by);
        std::memcpy(out + i, &bytes, sizeof bytes);
    }
    for (; i < length; ++i) out[i] = static_cast<unsigned char>(op(in[i], shift[i]));
}

constexpr auto addBytes = [](auto a, auto b) { return a + b; };
constexpr auto subtractBytes = [](auto a, auto b) { return a - b; };

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

CipherKeystream::CipherKeystream(const std::string& key) : draws_(CipherDraws::fromKey(key)) {}

const unsigned char* CipherKeystream::shifts(std::size_t count) {
    if (shifts_.size() < count) {
        shifts_.reserve(std::max(count, 2 * shifts_.size()));
        while (shifts_.size() < shifts_.capacity())
            shifts_.push_back(static_cast<char>(draws_.next()));
    }
    return reinterpret_cast<const unsigned char*>(shifts_.data());
}

std::string CipherKeystream::encipher(const std::string& plain) {
    std::string text;
    // Room for the terminating zero the store adds, so that adding it never copies.
    text.reserve(plain.size() + 2);
    text.assign(plain.size() + 1, kMarker);
    const unsigned char* shift = shifts(text.size());
    auto* out = reinterpret_cast<unsigned char*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(plain.data());
    out[0] = static_cast<unsigned char>(out[0] + shift[0]);
    shiftBytes(out + 1, in, shift + 1, plain.size(), addBytes);
    return text;
}

bool CipherKeystream::decipherInto(std::string_view text, std::string& plain) {
    if (text.empty()) return false;
    const unsigned char* shift = shifts(text.size());
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    if (static_cast<unsigned char>(in[0] - shift[0]) != kMarker) return false;
    plain.resize(text.size() - 1);
    shiftBytes(reinterpret_cast<unsigned char*>(plain.data()), in + 1, shift + 1, plain.size(),
               subtractBytes);
    return true;
}

std::string CipherKeystream::decipher(const std::string& text) {
    std::string plain;
    return decipherInto(text, plain) ? plain : std::string();
}

std::string Encipher(const std::string& plain, const std::string& key) {
    return CipherKeystream(key).encipher(plain);
}

std::string Decipher(const std::string& text, const std::string& key) {
    return CipherKeystream(key).decipher(text);
}

std::string MakeVerifier(const std::string& password) {
    return Encipher(password, password);
}

}  // namespace zn
