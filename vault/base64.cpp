#include "vault/base64.h"

#include <array>
#include <cstdint>

namespace zn {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';
// Above every digit's value, so that or-ing a group's values shows a stranger.
constexpr std::uint8_t kNotADigit = 0xFF;

constexpr std::array<std::uint8_t, 256> digitValues() {
    std::array<std::uint8_t, 256> values{};
    for (auto& value : values) value = kNotADigit;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return values;
}
constexpr auto kDigitValues = digitValues();

std::uint32_t digitAt(std::string_view text, std::size_t at) {
    return kDigitValues[static_cast<unsigned char>(text[at])];
}

}  // namespace

std::string base64Encode(std::string_view bytes) {
    std::string text;
    base64EncodeAppend(bytes, text);
    return text;
}

void base64EncodeAppend(std::string_view bytes, std::string& text) {
    const std::size_t start = text.size();
    text.resize(start + (bytes.size() + 2) / 3 * 4);
    char* out = text.data() + start;
    const auto byteAt = [&bytes](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]));
    };
    std::size_t at = 0;
    for (; at + 3 <= bytes.size(); at += 3) {
        const std::uint32_t group = byteAt(at) << 16 | byteAt(at + 1) << 8 | byteAt(at + 2);
        *out++ = kAlphabet[group >> 18];
        *out++ = kAlphabet[(group >> 12) & 0x3F];
        *out++ = kAlphabet[(group >> 6) & 0x3F];
        *out++ = kAlphabet[group & 0x3F];
    }
    const std::size_t left = bytes.size() - at;
    if (left == 0) return;
    const std::uint32_t group = byteAt(at) << 16 | (left == 2 ? byteAt(at + 1) << 8 : 0);
    *out++ = kAlphabet[group >> 18];
    *out++ = kAlphabet[(group >> 12) & 0x3F];
    *out++ = left == 2 ? kAlphabet[(group >> 6) & 0x3F] : kPad;
    *out = kPad;
}

std::optional<std::string> base64Decode(std::string_view text) {
    std::string bytes;
    if (!base64DecodeInto(text, bytes)) return std::nullopt;
    return bytes;
}

bool base64DecodeInto(std::string_view text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    if (text.empty()) return true;
    const std::size_t padding = text.back() != kPad ? 0 : text[text.size() - 2] == kPad ? 2 : 1;
    bytes.resize(text.size() / 4 * 3 - padding);
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    const std::size_t whole = text.size() - (padding != 0 ? 4 : 0);
    std::uint32_t strangers = 0;
    for (std::size_t at = 0; at < whole; at += 4) {
        const std::uint32_t a = digitAt(text, at), b = digitAt(text, at + 1),
                            c = digitAt(text, at + 2), d = digitAt(text, at + 3);
        strangers |= a | b | c | d;
        const std::uint32_t group = a << 18 | b << 12 | c << 6 | d;
        *out++ = static_cast<unsigned char>(group >> 16);
        *out++ = static_cast<unsigned char>(group >> 8);
        *out++ = static_cast<unsigned char>(group);
    }
    if (padding != 0) {
        const std::uint32_t a = digitAt(text, whole), b = digitAt(text, whole + 1),
                            c = padding == 1 ? digitAt(text, whole + 2) : 0;
        strangers |= a | b | c;
        const std::uint32_t group = a << 18 | b << 12 | c << 6;
        // The bits a shorter group leaves unused must be zero.
        if ((padding == 1 ? group & 0xFF : group & 0xFFFF) != 0) strangers |= kNotADigit;
        *out++ = static_cast<unsigned char>(group >> 16);
        if (padding == 1) *out = static_cast<unsigned char>(group >> 8);
    }
    if (strangers > 0x3F) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace zn
