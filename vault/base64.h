// The printable form in which the protected vault's binary values are stored
// as string values: standard base64 with padding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zn {

std::string base64Encode(std::string_view bytes);
// Only the one canonical text of each byte string is read: no blanks, the
// padding in place and the unused low bits zero, so that no altered text
// ever reads as the bytes it was made from.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace zn
