// The printable form in which the protected vault's binary values are stored
// as string values: standard base64 with padding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zn {

std::string base64Encode(std::string_view bytes);
// Appends the encoding to text.
void base64EncodeAppend(std::string_view bytes, std::string& text);
// Only the one canonical text of each byte string is read: no blanks, the
// padding in place and the unused low bits zero, so that no altered text
// ever reads as the bytes it was made from.
std::optional<std::string> base64Decode(std::string_view text);
// The same into bytes, whose buffer is reused; false (bytes then empty) when
// the text is not canonical base64.
bool base64DecodeInto(std::string_view text, std::string& bytes);

}  // namespace zn
