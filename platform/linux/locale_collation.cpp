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

}  // namespace

LocaleCollation::LocaleCollation() {
    locale_ = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale_) locale_ = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C", nullptr);
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
    std::string key;
    key.reserve(needed * 4);
    for (std::size_t i = 0; i < needed; ++i) {
        const auto weight = static_cast<std::uint32_t>(wideKey[i]);
        key += static_cast<char>(weight >> 24);
        key += static_cast<char>(weight >> 16);
        key += static_cast<char>(weight >> 8);
        key += static_cast<char>(weight);
    }
    return key;
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
