#include "platform/linux/locale_collation.h"

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
std::wstring widen(const std::string& text, locale_t locale) {
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

void LocaleCollation::appendSortKeyIgnoringCase(const std::string& text, std::string& keys) const {
    if (codePointOrder_) {
        const std::size_t start = keys.size();
        keys += text;
        bool ascii = true;
        for (std::size_t i = start; i < keys.size(); ++i) {
            char& c = keys[i];
            if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (ascii) return;
        // UTF-8 keeps the code points' order in its bytes.
        keys.resize(start);
        for (const wchar_t character : widen(text, locale_))
            appendUtf8(keys, static_cast<std::uint32_t>(
                                 towlower_l(static_cast<wint_t>(character), locale_)));
        return;
    }
    std::wstring folded = widen(text, locale_);
    for (wchar_t& character : folded)
        character = static_cast<wchar_t>(towlower_l(static_cast<wint_t>(character), locale_));
    // wcsxfrm stops at a zero character, as strxfrm does at a zero byte.
    std::wstring wideKey(folded.size() * 4 + 16, L'\0');
    std::size_t needed = wcsxfrm_l(wideKey.data(), folded.c_str(), wideKey.size(), locale_);
    if (needed >= wideKey.size()) {
        wideKey.assign(needed + 1, L'\0');
        needed = wcsxfrm_l(wideKey.data(), folded.c_str(), wideKey.size(), locale_);
    }
    // Big-endian bytes keep the wide key's order under plain byte comparison.
    keys.reserve(keys.size() + needed * 4);
    for (std::size_t i = 0; i < needed; ++i) {
        const auto weight = static_cast<std::uint32_t>(wideKey[i]);
        keys += static_cast<char>(weight >> 24);
        keys += static_cast<char>(weight >> 16);
        keys += static_cast<char>(weight >> 8);
        keys += static_cast<char>(weight);
    }
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
