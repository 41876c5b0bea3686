// Reading one value from the text of an initialisation-format file, as the
// Windows profile-string reader does: "[Section]" lines open sections,
// "Key=Value" lines give values; section and key names are compared without
// regard to letter case; blanks around names and values do not count; a value
// in matching quotes loses them; only the first section of a name and the
// first key of a name in it count.
#pragma once

#include <string>
#include <string_view>

namespace zn {

// The value, or defaultValue when the section or the key is missing; cut to
// at most bufferSize - 1 bytes, never inside a UTF-8 character.
std::string profileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, const std::string& defaultValue,
                                  std::size_t bufferSize);

}  // namespace zn
