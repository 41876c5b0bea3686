// Text encodings of registry files: the 8-bit code page the store's strings
// are in, and the UTF-16LE and UTF-8 forms of Unicode files. Windows keeps
// registry strings in UTF-16, while the vault wrote its enciphered entries as
// bytes in its code page: converting through the right table gives them back
// byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zn::regtool {

enum class CodePage { Windows1252, Utf8 };

// "1252", "windows-1252", "cp1252", "utf-8", "utf8", "65001", in any letter case.
std::optional<CodePage> parseCodePage(std::string_view name);
std::string codePageName(CodePage codePage);  // "Windows-1252", "UTF-8"

// Stands for bytes that are no valid UTF-8 or UTF-16: never a character.
inline constexpr char32_t kNotACharacter = 0x110000;

// Appends the character's bytes; false when the code page lacks it.
bool appendInCodePage(CodePage codePage, char32_t character, std::string& bytes);
// The characters the bytes stand for; kNotACharacter where they stand for none.
std::u32string decodeCodePage(CodePage codePage, std::string_view bytes);

std::u32string decodeUtf8(std::string_view bytes);
std::string encodeUtf8(std::u32string_view text);  // kNotACharacter becomes U+FFFD
// An odd final byte and lone surrogates decode to kNotACharacter.
std::u32string decodeUtf16(std::string_view bytes);
std::string encodeUtf16(std::u32string_view text);

}  // namespace zn::regtool
