#include "import/bookmark_file.h"

#include <stdexcept>
#include <unordered_set>

namespace zn {
namespace {

std::string_view trimControls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::string> addressOfLine(std::string_view line) {
    if (const auto address = addressInLine(line)) return std::string(*address);
    return std::nullopt;
}

std::optional<std::string_view> addressInLine(std::string_view line) {
    const std::string_view trimmed = trimControls(line);
    if (trimmed.substr(0, kAddressPrefix.size()) != kAddressPrefix) return std::nullopt;
    if (trimmed.size() <= kAddressPrefix.size() + 1) return std::nullopt;
    const std::string_view rest =
        trimmed.substr(kAddressPrefix.size(), trimmed.size() - kAddressPrefix.size() - 1);
    const std::size_t quote = rest.find('"');
    if (quote == std::string_view::npos) return std::nullopt;
    return rest.substr(0, quote);
}

TextLines splitTextLines(std::string_view bytes) {
    TextLines text;
    if (const std::size_t zero = bytes.find('\0'); zero != std::string_view::npos) {
        text.restFromZero = std::string(bytes.substr(zero));
        bytes = bytes.substr(0, zero);
    }
    forEachTextLine(bytes, [&](std::string_view line) { text.lines.emplace_back(line); });
    return text;
}

std::string joinTextLines(const TextLines& text) {
    std::size_t size = text.restFromZero ? text.restFromZero->size() : 0;
    for (const auto& line : text.lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : text.lines) {
        bytes += line;
        bytes += "\r\n";
    }
    if (text.restFromZero) bytes += *text.restFromZero;
    return bytes;
}

std::string readWholeTextFile(const FileSystem& files, const std::string& path) {
    auto bytes = files.readWholeFile(path);
    if (!bytes) throw std::runtime_error("Cannot open file " + path);
    return std::move(*bytes);
}

TextLines readTextFile(const FileSystem& files, const std::string& path) {
    return splitTextLines(readWholeTextFile(files, path));
}

void writeTextFile(FileSystem& files, const std::string& path, const TextLines& text) {
    // Such a file is no plain text (UTF-16, say): line breaks put before its
    // zero byte would corrupt it.
    if (text.restFromZero)
        throw std::runtime_error("Cannot rewrite file " + path + ": it holds a zero byte");
    if (!files.replaceFile(path, joinTextLines(text)))
        throw std::runtime_error("Cannot create file " + path);
}

void deleteAddressLines(std::vector<std::string>& lines,
                        const std::vector<std::string>& addresses) {
    // Deleting address by address, each pass backwards, leaves exactly the
    // lines that carry none of the addresses; one pass over a set does the same
    // without going over a large file once per address.
    const std::unordered_set<std::string> doomed(addresses.begin(), addresses.end());
    if (doomed.empty()) return;
    std::erase_if(lines, [&](const std::string& line) {
        const auto address = addressOfLine(line);
        return address && doomed.count(*address) > 0;
    });
}

}  // namespace zn
