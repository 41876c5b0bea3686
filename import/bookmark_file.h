// A browser's bookmark file as plain text lines: which lines carry an
// address, how the file is read and written, and the deletion of the lines
// whose addresses were imported.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zn {

// The 13 characters an address line begins with; letter case counts.
inline constexpr std::string_view kAddressPrefix = "<DT><A HREF=\"";

// The address of a bookmark-file line, or nothing when it is no address line.
// The line's last character (after trimming) is never searched for the
// closing quote.
std::optional<std::string> addressOfLine(std::string_view line);
// The same address as a view into the line, with nothing copied.
std::optional<std::string_view> addressInLine(std::string_view line);

// The text of a file read as lines. A zero byte ends the text; what follows
// from that byte on is kept aside so that a rewrite can keep it unchanged.
struct TextLines {
    std::vector<std::string> lines;
    std::optional<std::string> restFromZero;
};

// Splits at CR LF, a lone CR and a lone LF; a break at the very end adds no line.
TextLines splitTextLines(std::string_view bytes);
// The same lines handed over one by one, without copying them; stops at a zero byte.
template <typename Visit>
void forEachTextLine(std::string_view bytes, Visit visit) {
    bytes = bytes.substr(0, bytes.find('\0'));
    // The next CR and the next LF, each found once and kept until passed.
    std::size_t nextCr = bytes.find('\r');
    std::size_t nextLf = bytes.find('\n');
    std::size_t start = 0;
    while (start < bytes.size()) {
        if (nextCr < start) nextCr = bytes.find('\r', start);
        if (nextLf < start) nextLf = bytes.find('\n', start);
        const std::size_t end = std::min({nextCr, nextLf, bytes.size()});
        visit(bytes.substr(start, end - start));
        start = end == nextCr && nextLf == end + 1 ? end + 2 : end + 1;
    }
}

// Every line followed by CR LF, then the kept rest.
std::string joinTextLines(const TextLines& text);

// Raise "Cannot open file %s" and "Cannot create file %s"; a text that held a
// zero byte is never written back ("Cannot rewrite file %s: it holds a zero byte").
std::string readWholeTextFile(const FileSystem& files, const std::string& path);
TextLines readTextFile(const FileSystem& files, const std::string& path);
void writeTextFile(FileSystem& files, const std::string& path, const TextLines& text);

// Deletes every address line whose address equals one of the addresses
// exactly (letter case counts); all other lines stay as they were.
void deleteAddressLines(std::vector<std::string>& lines, const std::vector<std::string>& addresses);

}  // namespace zn
