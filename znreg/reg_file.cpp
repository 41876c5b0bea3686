#include "znreg/reg_file.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

namespace zn::regtool {
namespace {

constexpr std::string_view kRegedit4 = "REGEDIT4";
constexpr std::string_view kRegedit5 = "Windows Registry Editor Version 5.00";
constexpr const char* kLineEnd = "\r\n";
// Hex lists are wrapped before this column, as the Windows tools do.
constexpr std::size_t kWrapColumn = 76;

struct RootSpelling {
    RegRoot root;
    std::string_view longName;
    std::string_view shortName;
};

constexpr std::array<RootSpelling, 3> kRoots{{
    {RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
}};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == text.npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// --- writing

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != text.npos;
}

std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') result += '\\';
        result += c;
    }
    return result + '"';
}

// Plain printable ASCII with its one terminating zero: only such data comes
// back byte for byte from a quoted text.
bool isQuotableString(const RegValue& value) {
    if (value.type != RegType::String || value.data.empty() || value.data.back() != '\0')
        return false;
    for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value.data[i]);
        if (byte < 0x20 || byte >= 0x7F) return false;
    }
    return true;
}

std::string hexList(const std::string& prefix, const std::string& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line = prefix;
    std::size_t column = prefix.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        line += kHex[byte >> 4];
        line += kHex[byte & 0xF];
        column += 2;
        if (i + 1 == bytes.size()) break;
        line += ',';
        if (++column > kWrapColumn) {
            line += "\\";
            line += kLineEnd;
            line += "  ";
            column = 2;
        }
    }
    return line;
}

std::string valueLine(const std::string& name, const RegValue& value) {
    if (hasLineBreak(name))
        throw RegToolError("The value name \"" + name + "\" cannot be exported");
    const std::string prefix = (name.empty() ? std::string("@") : quoted(name)) + '=';
    if (isQuotableString(value))
        return prefix + quoted(value.data.substr(0, value.data.size() - 1));
    if (value.type == RegType::Dword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        return prefix + text;
    }
    if (value.type == RegType::Binary) return hexList(prefix + "hex:", value.data);
    char typeTag[24];
    std::snprintf(typeTag, sizeof typeTag, "hex(%x):", static_cast<unsigned>(value.type));
    return hexList(prefix + typeTag, value.data);
}

// --- reading

class ParseError {
public:
    explicit ParseError(std::string why) : why(std::move(why)) {}
    std::string why;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::uint32_t parseHexNumber(std::string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) throw ParseError("bad hexadecimal number");
    std::uint32_t number = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0) throw ParseError("bad hexadecimal number");
        number = (number << 4) | static_cast<std::uint32_t>(digit);
    }
    return number;
}

// A quoted text at the start of `text`; moves `text` past its closing quote.
std::string readQuoted(std::string_view& text) {
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                throw ParseError("bad escape in a quoted text");
            ++i;
        }
        result += text[i];
    }
    throw ParseError("a quoted text is not closed");
}

std::string parseHexBytes(std::string_view list) {
    std::string bytes;
    list = trim(list);
    while (!list.empty()) {
        const auto comma = list.find(',');
        const auto item = trim(list.substr(0, comma));
        bytes += static_cast<char>(parseHexNumber(item, 2));
        if (comma == list.npos) break;
        list = trim(list.substr(comma + 1));
        // What regedit writes never ends in a comma; a file cut short does.
        if (list.empty()) throw ParseError("a hex list ends with a comma");
    }
    return bytes;
}

RegValue parseValueData(std::string_view data) {
    if (data.starts_with('"')) {
        std::string text = readQuoted(data);
        if (!trim(data).empty()) throw ParseError("text after a quoted value");
        return RegValue{RegType::String, encodeStringData(text)};
    }
    if (data.starts_with("dword:"))
        return RegValue{RegType::Dword, encodeDwordData(parseHexNumber(trim(data.substr(6)), 8))};
    if (data.starts_with("hex:")) return RegValue{RegType::Binary, parseHexBytes(data.substr(4))};
    if (data.starts_with("hex(")) {
        const auto close = data.find("):");
        if (close == data.npos) throw ParseError("bad hex value type");
        const auto type = parseHexNumber(data.substr(4, close - 4), 8);
        return RegValue{static_cast<RegType>(type), parseHexBytes(data.substr(close + 2))};
    }
    throw ParseError("unknown value data");
}

KeyName parseSectionKey(std::string_view name) {
    const auto key = parseKeyName(std::string(name));
    if (!key) throw ParseError("unknown root key in \"" + std::string(name) + "\"");
    return *key;
}

class RegFileParser {
public:
    explicit RegFileParser(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    std::vector<RegFileChange> parse() {
        for (index_ = 1; index_ < lines_.size(); ++index_) parseLine(trim(lines_[index_]));
        return std::move(changes_);
    }
    std::size_t lineNumber() const { return index_ + 1; }

private:
    void parseLine(std::string_view line) {
        if (line.empty() || line.front() == ';') return;
        if (line.front() == '[') return parseSection(line);
        if (!section_) throw ParseError("a value outside any key");
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (line.front() == '"') {
            name = readQuoted(line);
        } else {
            throw ParseError("not a key, a value or a comment");
        }
        line = trim(line);
        if (!line.starts_with('=')) throw ParseError("\"=\" missing after the value name");
        line = trim(line.substr(1));
        if (line == "-") {
            changes_.push_back({RegFileChange::Kind::DeleteValue, *section_, name, {}});
            return;
        }
        std::string data(line);
        if (line.starts_with("hex")) data = joinContinuations(data);
        changes_.push_back({RegFileChange::Kind::SetValue, *section_, name, parseValueData(data)});
    }

    void parseSection(std::string_view line) {
        if (!line.ends_with(']')) throw ParseError("a key name without its closing \"]\"");
        std::string_view name = line.substr(1, line.size() - 2);
        if (name.starts_with('-')) {
            const KeyName key = parseSectionKey(name.substr(1));
            if (key.path.empty()) throw ParseError("a root key cannot be deleted");
            changes_.push_back({RegFileChange::Kind::DeleteKey, key, {}, {}});
            section_.reset();  // values after a deleted key have nowhere to go
            return;
        }
        section_ = parseSectionKey(name);
        changes_.push_back({RegFileChange::Kind::OpenKey, *section_, {}, {}});
    }

    // A hex list goes on over lines that end in "\".
    std::string joinContinuations(std::string data) {
        while (!data.empty() && data.back() == '\\') {
            data.pop_back();
            const auto next = index_ + 1 < lines_.size() ? trim(lines_[index_ + 1]) : "";
            if (next.empty()) throw ParseError("a hex list breaks off");
            data += next;
            ++index_;
        }
        return data;
    }

    std::vector<std::string> lines_;
    std::size_t index_ = 0;
    std::optional<KeyName> section_;
    std::vector<RegFileChange> changes_;
};

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (true) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == text.npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

std::optional<KeyName> parseKeyName(const std::string& text) {
    const auto separator = text.find('\\');
    const std::string_view rootText = std::string_view(text).substr(0, separator);
    for (const auto& spelling : kRoots) {
        if (!equalIgnoringCase(rootText, spelling.longName) &&
            !equalIgnoringCase(rootText, spelling.shortName))
            continue;
        KeyName key{spelling.root, {}};
        if (separator == std::string::npos) return key;
        // Empty names between separators mean nothing, as in the store.
        std::string name;
        for (char c : text.substr(separator + 1) + '\\') {
            if (c != '\\') {
                name += c;
                continue;
            }
            if (name.empty()) continue;
            if (!key.path.empty()) key.path += '\\';
            key.path += name;
            name.clear();
        }
        return key;
    }
    return std::nullopt;
}

std::string rootName(RegRoot root) {
    for (const auto& spelling : kRoots)
        if (spelling.root == root) return std::string(spelling.longName);
    return {};
}

std::string fullKeyName(const KeyName& key) {
    return key.path.empty() ? rootName(key.root) : rootName(key.root) + '\\' + key.path;
}

std::string writeRegFile(const std::vector<ExportedKey>& keys) {
    std::string text = std::string(kRegedit4) + kLineEnd;
    for (const auto& exported : keys) {
        if (hasLineBreak(exported.key.path))
            throw RegToolError("The key name \"" + exported.key.path + "\" cannot be exported");
        text += kLineEnd;
        text += '[' + fullKeyName(exported.key) + ']' + kLineEnd;
        for (const auto& [name, value] : exported.values) text += valueLine(name, value) + kLineEnd;
    }
    return text + kLineEnd;
}

std::vector<RegFileChange> parseRegFile(const std::string& text, const std::string& fileName) {
    const std::string notRegistryFile = fileName + " is not a registry file";
    std::string_view body = text;
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    // UTF-16 files would need converting, which a plain 8-bit store does not do.
    if (body.find('\0') != body.npos) throw RegToolError(notRegistryFile);
    auto lines = splitLines(body);
    const auto header = trim(lines.front());
    if (header != kRegedit4 && header != kRegedit5) throw RegToolError(notRegistryFile);
    RegFileParser parser(std::move(lines));
    try {
        return parser.parse();
    } catch (const ParseError& error) {
        throw RegToolError(notRegistryFile + " (line " + std::to_string(parser.lineNumber()) +
                           ": " + error.why + ")");
    }
}

void applyRegFile(Registry& registry, const std::vector<RegFileChange>& changes) {
    const auto batch = registry.beginBatch();
    std::unique_ptr<RegistryKey> key;
    for (const auto& change : changes) {
        switch (change.kind) {
            case RegFileChange::Kind::OpenKey:
                key = registry.openKey(change.key.root, change.key.path, true);
                if (!key) throw failedToSetData(change.key.path);
                break;
            case RegFileChange::Kind::DeleteKey:
                key.reset();
                registry.deleteKey(change.key.root, change.key.path);
                break;
            case RegFileChange::Kind::SetValue:
                key->writeValue(change.valueName, change.value);
                break;
            case RegFileChange::Kind::DeleteValue:
                key->deleteValue(change.valueName);
                break;
        }
    }
    key.reset();
    batch->commit();
}

}  // namespace zn::regtool
