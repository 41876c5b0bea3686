#include "platform/linux/locale_collation.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

namespace zn {
namespace {

// Decodes the user's multibyte text into wide characters; bytes that do not
// decode are kept one by one so that no text compares equal to another by
// accident.
std::wstring widen(std::string_view text, locale_t locale) {
    const locale_t previous = uselocale(locale);
    std::wstring wide;
    wide.reserve(text.size());
    std::mbstate_t state{};
    const char* cursor = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        wchar_t character = 0;
        std::size_t used = std::mbrtowc(&character, cursor, left, &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            character = static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(*cursor));
            used = 1;
            state = std::mbstate_t{};
        } else if (used == 0) {
            used = 1;  // an embedded zero byte
        }
        wide.push_back(character);
        cursor += used;
        left -= used;
    }
    uselocale(previous);
    return wide;
}

// The text with its letters folded to lower case, in the user's character set.
std::string foldedText(std::string_view text, locale_t locale) {
    std::string folded;
    const locale_t previous = uselocale(locale);
    std::mbstate_t state{};
    for (const wchar_t character : widen(text, locale)) {
        if (character >= 0xDC80 && character <= 0xDCFF) {  // a byte that did not decode
            folded += static_cast<char>(character - 0xDC00);
            continue;
        }
        char bytes[MB_LEN_MAX];
        const std::size_t length = std::wcrtomb(
            bytes, static_cast<wchar_t>(towlower_l(static_cast<wint_t>(character), locale)),
            &state);
        if (length != static_cast<std::size_t>(-1)) folded.append(bytes, length);
    }
    uselocale(previous);
    return folded;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Copies ASCII text with the letters A to Z folded to lower case, eight bytes
// at a time; false, with the copy left unfinished, at a byte beyond ASCII.
bool copyFoldingAsciiLetters(const char* from, char* to, std::size_t size) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x80u * ones;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, from + i, 8);
        if (word & highs) return false;
        // Each byte is below 0x80, so no sum carries into the next byte: the
        // high bit of the first sum says "at least A", that of the second
        // "beyond Z".
        const std::uint64_t atLeastA = word + (0x80u - 'A') * ones;
        const std::uint64_t beyondZ = word + (0x80u - 'Z' - 1) * ones;
        word |= ((atLeastA ^ beyondZ) & highs) >> 2;  // 0x20 on each capital
        std::memcpy(to + i, &word, 8);
    }
    for (; i < size; ++i) {
        const char c = from[i];
        if (static_cast<unsigned char>(c) >= 0x80) return false;
        to[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return true;
}

}  // namespace

LocaleCollation::LocaleCollation() {
    locale_ = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale_) locale_ = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C", nullptr);
    // Any real collation transforms this text; a code-point order leaves it be.
    const char* probe = "Ab-z_\xC3\xA9";
    char transformed[64] = {};
    codePointOrder_ =
        strxfrm_l(transformed, probe, sizeof transformed, locale_) == std::strlen(probe) &&
        std::strcmp(transformed, probe) == 0;
}

LocaleCollation::~LocaleCollation() {
    freelocale(locale_);
}

std::string LocaleCollation::sortKey(const std::string& text) const {
    // strxfrm stops at a zero byte; a site never holds one that matters for order.
    const char* source = text.c_str();
    std::string key(text.size() * 4 + 16, '\0');
    std::size_t needed = strxfrm_l(key.data(), source, key.size(), locale_);
    if (needed >= key.size()) {
        key.assign(needed + 1, '\0');
        needed = strxfrm_l(key.data(), source, key.size(), locale_);
    }
    key.resize(needed);
    return key;
}

std::string LocaleCollation::sortKeyIgnoringCase(const std::string& text) const {
    std::string key;
    appendSortKeyIgnoringCase(text, key);
    return key;
}

void LocaleCollation::appendSortKeyIgnoringCase(std::string_view text, std::string& keys) const {
    if (codePointOrder_) {
        const std::size_t start = keys.size();
        keys.resize(start + text.size());
        if (copyFoldingAsciiLetters(text.data(), keys.data() + start, text.size())) return;
        // UTF-8 keeps the code points' order in its bytes.
        keys.resize(start);
        for (const wchar_t character : widen(text, locale_))
            appendUtf8(keys, static_cast<std::uint32_t>(
                                 towlower_l(static_cast<wint_t>(character), locale_)));
        return;
    }
    // The text with its letters folded, back in the user's character set, then
    // transformed as it stands: a byte key is a quarter of a wide one.
    std::string folded;
    folded.reserve(text.size());
    // Plain ASCII, nearly every address, folds byte by byte.
    bool ascii = true;
    for (const char c : text) {
        const auto lower = static_cast<wint_t>(
            towlower_l(static_cast<wint_t>(static_cast<unsigned char>(c)), locale_));
        if (static_cast<unsigned char>(c) >= 0x80 || lower >= 0x80) {
            ascii = false;
            break;
        }
        folded += static_cast<char>(lower);
    }
    if (!ascii) folded = foldedText(text, locale_);
    const std::size_t start = keys.size();
    keys.resize(start + folded.size() * 8 + 16);
    std::size_t needed =
        strxfrm_l(keys.data() + start, folded.c_str(), keys.size() - start, locale_);
    if (needed >= keys.size() - start) {
        keys.resize(start + needed + 1);
        needed = strxfrm_l(keys.data() + start, folded.c_str(), needed + 1, locale_);
    }
    keys.resize(start + needed);
}

bool LocaleCollation::equalIgnoringCase(const std::string& a, const std::string& b) const {
    if (a.size() == b.size() && a == b) return true;
    const std::wstring wideA = widen(a, locale_);
    const std::wstring wideB = widen(b, locale_);
    if (wideA.size() != wideB.size()) return false;
    for (std::size_t i = 0; i < wideA.size(); ++i)
        if (towlower_l(static_cast<wint_t>(wideA[i]), locale_) !=
            towlower_l(static_cast<wint_t>(wideB[i]), locale_))
            return false;
    return true;
}

}  // namespace zn
