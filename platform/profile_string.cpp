#include "platform/profile_string.h"

#include <cstddef>

namespace zn {
namespace {

// The blanks the reader skips; 0x1A is the old end-of-file mark.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// The next line of text, split at CR LF, a lone CR or a lone LF.
std::string_view nextLine(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string_view line = text.substr(0, end);
    if (text.substr(end, 2) == "\r\n")
        end += 2;
    else if (end < text.size())
        ++end;
    text.remove_prefix(end);
    return line;
}

// The section name of a "[name]" line: up to its last "]".
bool sectionName(std::string_view line, std::string_view& name) {
    if (line.empty() || line.front() != '[') return false;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Cut to limit bytes, backing off to the start of a UTF-8 character.
void cutToLimit(std::string& value, std::size_t limit) {
    if (value.size() <= limit) return;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    value.resize(end);
}

}  // namespace

std::string profileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, const std::string& defaultValue,
                                  std::size_t bufferSize) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // A zero byte ends the text, as it ends a C string.
    if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);

    bool inSection = false;
    std::string value = defaultValue;
    while (!text.empty()) {
        const std::string_view line = trim(nextLine(text));
        if (line.empty()) continue;
        std::string_view name;
        if (sectionName(line, name)) {
            // Only the first section of the name is searched.
            if (inSection) break;
            inSection = equalIgnoringAsciiCase(name, trim(section));
            continue;
        }
        if (!inSection) continue;
        const std::size_t equals = line.find('=');
        const std::string_view lineKey = trim(line.substr(0, equals));
        if (!equalIgnoringAsciiCase(lineKey, trim(key))) continue;
        value = equals == std::string_view::npos ? std::string()
                                                 : unquoted(trim(line.substr(equals + 1)));
        break;
    }
    if (bufferSize == 0) return {};
    cutToLimit(value, bufferSize - 1);
    return value;
}

}  // namespace zn
