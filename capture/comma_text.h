// Comma text: how a browser's page reply becomes a list of items. The rules
// are an exchanged format and must never change: quoted items with doubled
// quotes, unquoted items ending at a comma or a blank, blanks and control
// bytes between items skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zn {

// The items of a comma text. The text ends at its first zero byte, as the
// zero-terminated reply it stands for does. UTF-8 text is stepped through a
// whole character at a time, so a multi-byte character is never split.
std::vector<std::string> readCommaText(std::string_view text);

}  // namespace zn
