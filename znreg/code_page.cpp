#include "znreg/code_page.h"

#include <array>

#include "platform/utf8.h"

namespace zn::regtool {
namespace {

// Windows-1252 from 0x80 to 0x9F; every other byte is the character of the
// same number. The five bytes the code page leaves undefined map to the C1
// controls of the same number, as Windows converts them, so that every byte
// an enciphered text may hold survives the trip through UTF-16.
constexpr std::array<char32_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t windows1252Character(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char32_t(byte);
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

std::optional<CodePage> parseCodePage(std::string_view name) {
    const std::string lower = lowerCase(name);
    if (lower == "1252" || lower == "windows-1252" || lower == "cp1252")
        return CodePage::Windows1252;
    if (lower == "utf-8" || lower == "utf8" || lower == "65001") return CodePage::Utf8;
    return std::nullopt;
}

std::string codePageName(CodePage codePage) {
    return codePage == CodePage::Utf8 ? "UTF-8" : "Windows-1252";
}

bool appendInCodePage(CodePage codePage, char32_t character, std::string& bytes) {
    if (character >= 0x110000 || isSurrogate(character)) return false;
    if (codePage == CodePage::Utf8) {
        appendUtf8(bytes, character);
        return true;
    }
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        bytes += static_cast<char>(character);
        return true;
    }
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == character) {
            bytes += static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::u32string decodeCodePage(CodePage codePage, std::string_view bytes) {
    if (codePage == CodePage::Utf8) return decodeUtf8(bytes);
    std::u32string text;
    text.reserve(bytes.size());
    for (char byte : bytes) text += windows1252Character(static_cast<unsigned char>(byte));
    return text;
}

std::u32string decodeUtf8(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80                    ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto byte = static_cast<unsigned char>(bytes[i + k]);
            valid = (byte & 0xC0) == 0x80;
            c = (c << 6) | (byte & 0x3F);
        }
        // Overlong forms and surrogates are no text either.
        const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        if (!valid || c < smallest || c >= 0x110000 || isSurrogate(c)) {
            text += kNotACharacter;
            ++i;
            continue;
        }
        text += c;
        i += length;
    }
    return text;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) appendUtf8(bytes, c);
    return bytes;
}

std::u32string decodeUtf16(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return char32_t(static_cast<unsigned char>(bytes[i]) |
                        static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text += 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
                continue;
            }
        }
        text += isSurrogate(c) ? kNotACharacter : c;
    }
    if (i < bytes.size()) text += kNotACharacter;
    return text;
}

std::string encodeUtf16(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    auto unit = [&](char32_t u) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    };
    for (char32_t c : text) {
        if (c >= 0x110000 || isSurrogate(c)) c = 0xFFFD;
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

}  // namespace zn::regtool
