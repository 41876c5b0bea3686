#include "vault/base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace zn {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';
constexpr std::uint8_t kNotADigit = 0xFF;

constexpr std::array<std::uint8_t, 256> digitValues() {
    std::array<std::uint8_t, 256> values{};
    for (auto& value : values) value = kNotADigit;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return values;
}
constexpr auto kDigitValues = digitValues();

}  // namespace

std::string base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = group << 8 | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (std::size_t i = 0; i < 4; ++i)
            text.push_back(i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : kPad);
    }
    return text;
}

std::optional<std::string> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t at = 0; at < text.size(); at += 4) {
        const bool last = at + 4 == text.size();
        std::size_t padding = 0;
        if (last) padding = text[at + 3] == kPad ? (text[at + 2] == kPad ? 2 : 1) : 0;
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 4 - padding; ++i) {
            const std::uint8_t digit = kDigitValues[static_cast<unsigned char>(text[at + i])];
            if (digit == kNotADigit) return std::nullopt;
            group = group << 6 | digit;
        }
        group <<= 6 * padding;
        // The bits a shorter group leaves unused must be zero.
        if (padding == 1 && (group & 0xFF) != 0) return std::nullopt;
        if (padding == 2 && (group & 0xFFFF) != 0) return std::nullopt;
        for (std::size_t i = 0; i < 3 - padding; ++i)
            bytes.push_back(static_cast<char>((group >> (16 - 8 * i)) & 0xFF));
    }
    return bytes;
}

}  // namespace zn
