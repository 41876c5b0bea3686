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
// What the Windows registry holds: longer key names and deeper keys (than
// the store's kMaxKeyDepth) are not created there, so a file carrying them
// would silently do less on Windows.
constexpr std::size_t kMaxKeyNameLength = 255;

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

template <typename Text>
bool equalIgnoringCase(const Text& a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(static_cast<char32_t>(a[i])) != lower(static_cast<char32_t>(b[i]))) return false;
    return true;
}

bool isStringType(RegType type) {
    const auto number = static_cast<std::uint32_t>(type);
    return number == 1 || number == 2 || number == 7;  // REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ
}

// --- writing

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != text.npos;
}

// Builds the file as UTF-8 when it is to be a version 5 file, converting
// every name and text from the code page; REGEDIT4 keeps the store's bytes.
class RegFileWriter {
public:
    explicit RegFileWriter(const RegFileFormat& format) : format_(format) {}

    std::string write(const std::vector<ExportedKey>& keys) {
        std::string text = std::string(format_.v5 ? kRegedit5 : kRegedit4) + kLineEnd;
        for (const auto& exported : keys) {
            if (hasLineBreak(exported.key.path))
                throw RegToolError("The key name \"" + exported.key.path + "\" cannot be exported");
            text += kLineEnd;
            text += '[' + rootName(exported.key.root);
            if (!exported.key.path.empty())
                text += '\\' + inFile(exported.key.path, "the key \"" + exported.key.path + '"');
            text += std::string("]") + kLineEnd;
            for (const auto& [name, value] : exported.values)
                text += valueLine(name, value) + kLineEnd;
        }
        text += kLineEnd;
        if (!format_.v5) return text;
        return "\xFF\xFE" + encodeUtf16(decodeUtf8(text));
    }

private:
    // A name or text in the file's encoding.
    std::string inFile(const std::string& bytes, const std::string& what) const {
        if (!format_.v5) return bytes;
        const auto text = characters(bytes, what);
        return encodeUtf8(text);
    }

    // `what` names the key or value the text belongs to, for the message.
    std::u32string characters(const std::string& bytes, const std::string& what) const {
        auto text = decodeCodePage(format_.codePage, bytes);
        if (text.find(kNotACharacter) != text.npos)
            throw RegToolError("Cannot export " + what + ": it holds bytes that are no text in " +
                               "code page " + codePageName(format_.codePage));
        return text;
    }

    std::string quoted(const std::string& bytes, const std::string& what) const {
        std::string result = "\"";
        for (char c : inFile(bytes, what)) {
            if (c == '\\' || c == '"') result += '\\';
            if (c == '\n' || c == '\r') {
                result += c == '\n' ? "\\n" : "\\r";
                continue;
            }
            result += c;
        }
        return result + '"';
    }

    // Only text with its one terminating zero comes back byte for byte from a
    // quoted text. REGEDIT4 quotes plain ASCII only; a version 5 file also
    // carries line breaks as "\n" and "\r", as the registry editor writes them.
    bool isQuotable(const RegValue& value) const {
        if (value.type != RegType::String || value.data.empty() || value.data.back() != '\0')
            return false;
        const std::string_view text(value.data.data(), value.data.size() - 1);
        if (!format_.v5) {
            for (char c : text)
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                    return false;
            return true;
        }
        for (char32_t c : decodeCodePage(format_.codePage, text))
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == kNotACharacter)
                return false;
        return true;
    }

    std::string valueLine(const std::string& name, const RegValue& value) const {
        if (hasLineBreak(name))
            throw RegToolError("The value name \"" + name + "\" cannot be exported");
        const std::string prefix =
            (name.empty() ? std::string("@") : quoted(name, "the value name \"" + name + '"')) +
            '=';
        if (isQuotable(value))
            return prefix +
                   quoted(value.data.substr(0, value.data.size() - 1), "the value \"" + name + '"');
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
        // A version 5 file holds strings as UTF-16, whatever their type tag.
        if (format_.v5 && isStringType(value.type))
            return hexList(prefix + typeTag,
                           encodeUtf16(characters(value.data, "the value \"" + name + '"')));
        return hexList(prefix + typeTag, value.data);
    }

    static std::string hexList(const std::string& prefix, const std::string& bytes) {
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

    RegFileFormat format_;
};

// --- reading

using Text = std::u32string_view;

// A malformed line: "<file> is not a registry file (line N: why)".
struct ParseError {
    std::string why;
};
// A character the code page lacks: "<file> cannot be imported (line N: why)".
struct ConversionError {
    std::string why;
};

bool isBlank(char32_t c) {
    return c == ' ' || c == '\t';
}

Text skipBlanks(Text text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return text;
}

// Nothing but blanks and perhaps a comment: what may follow a value or a key name.
bool isBlankOrComment(Text text) {
    text = skipBlanks(text);
    return text.empty() || text.front() == ';';
}

bool startsWith(Text text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (text[i] != static_cast<unsigned char>(prefix[i])) return false;
    return true;
}

int hexDigit(char32_t c) {
    if (c >= '0' && c <= '9') return int(c - '0');
    if (c >= 'a' && c <= 'f') return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return int(c - 'A' + 10);
    return -1;
}

// Hex digits at the start of `text`, leading zeros allowed; moves past them.
std::optional<std::uint64_t> takeHexNumber(Text& text) {
    std::size_t length = 0;
    std::uint64_t number = 0;
    while (length < text.size() && hexDigit(text[length]) >= 0) {
        number = number * 16 + static_cast<unsigned>(hexDigit(text[length]));
        if (number > 0xFFFFFFFFu) number = 0x100000000u;  // too large, and stays so
        ++length;
    }
    if (length == 0) return std::nullopt;
    text.remove_prefix(length);
    return number;
}

std::string shown(Text text) {
    return encodeUtf8(text);
}

// The registry file as characters, split into lines.
struct SourceFile {
    std::u32string text;
    bool unicode = false;  // names and texts are converted; string-typed hex data is UTF-16LE
    std::vector<Text> lines;
};

// Lines end at LF, CR LF or a lone CR.
std::vector<Text> splitLines(Text text) {
    std::vector<Text> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

SourceFile decodeSource(std::string_view bytes) {
    SourceFile file;
    if (bytes.starts_with("\xFF\xFE")) {
        file.text = decodeUtf16(bytes.substr(2));
        file.unicode = true;
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        const auto firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
        const auto header =
            firstLine.substr(std::min(firstLine.find_first_not_of(" \t"), firstLine.size()));
        // The version 5 header marks a Unicode file; in 8 bits that is UTF-8.
        file.unicode = header.starts_with(kRegedit5);
        if (file.unicode) {
            file.text = decodeUtf8(bytes);
        } else {
            file.text.reserve(bytes.size());
            for (char byte : bytes) file.text += static_cast<unsigned char>(byte);
        }
    }
    file.lines = splitLines(file.text);
    return file;
}

class RegFileParser {
public:
    RegFileParser(const SourceFile& file, CodePage codePage) : file_(file), codePage_(codePage) {}

    std::vector<RegFileChange> parse() {
        for (index_ = 1; index_ < file_.lines.size(); ++index_) parseLine(file_.lines[index_]);
        return std::move(changes_);
    }
    std::size_t lineNumber() const { return index_ + 1; }

private:
    void parseLine(Text line) {
        line = skipBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') return;
        if (line.front() == '[') return parseKeyLine(line);
        if (line.front() != '@' && line.front() != '"')
            throw ParseError{"not a key, a value or a comment"};
        if (!section_) throw ParseError{"a value outside any key"};
        parseValueLine(line);
    }

    // --- keys

    void parseKeyLine(Text line) {
        // The name ends at the first "]" that only blanks or a comment follow.
        std::size_t close = line.npos;
        for (std::size_t i = 1; i < line.size() && close == line.npos; ++i)
            if (line[i] == ']' && isBlankOrComment(line.substr(i + 1))) close = i;
        if (close == line.npos)
            throw ParseError{line.find(']') == line.npos ? "a key name without its closing \"]\""
                                                         : "text after the key name's \"]\""};
        Text name = line.substr(1, close - 1);
        if (!name.empty() && name.front() == '-') {
            const KeyName key = keyName(name.substr(1));
            if (key.path.empty()) throw ParseError{"a root key cannot be deleted"};
            changes_.push_back({RegFileChange::Kind::DeleteKey, key, {}, {}});
            section_.reset();  // values after a deleted key have nowhere to go
            return;
        }
        section_ = keyName(name);
        changes_.push_back({RegFileChange::Kind::OpenKey, *section_, {}, {}});
    }

    // Only the long root names, single separators and names the registry
    // can hold: the registry editor skips any other key with its values.
    KeyName keyName(Text name) {
        const auto separator = name.find('\\');
        const Text rootText = name.substr(0, separator);
        const RootSpelling* root = nullptr;
        for (const auto& spelling : kRoots) {
            if (equalIgnoringCase(rootText, spelling.longName)) root = &spelling;
            if (equalIgnoringCase(rootText, spelling.shortName))
                throw ParseError{"the short root \"" + shown(rootText) +
                                 "\", which the registry editor does not read: write " +
                                 std::string(spelling.longName)};
        }
        if (!root) throw ParseError{"unknown root key in \"" + shown(name) + "\""};
        KeyName key{root->root, {}};
        if (separator == name.npos) return key;
        Text rest = name.substr(separator + 1);
        std::size_t depth = 0;
        while (!rest.empty()) {
            const auto end = rest.find('\\');
            const Text part = rest.substr(0, end);
            if (part.empty()) throw ParseError{"a doubled \"\\\" in the key name"};
            if (part.size() > kMaxKeyNameLength)
                throw ParseError{"the key name \"" + shown(part) +
                                 "\" is longer than 255 characters"};
            if (++depth > kMaxKeyDepth)
                throw ParseError{"a key nested deeper than " + std::to_string(kMaxKeyDepth) +
                                 " levels"};
            if (!key.path.empty()) key.path += '\\';
            key.path += storeBytes(part, [&] { return "the key name \"" + shown(part) + "\""; });
            if (end == rest.npos) break;
            rest.remove_prefix(end + 1);  // a final "\" names nothing more
        }
        return key;
    }

    // --- values

    void parseValueLine(Text line) {
        std::string name;
        std::u32string nameText;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            nameText = readQuoted(line);
            if (nameText.find_first_of(U"\r\n") != nameText.npos)
                throw ParseError{
                    "a value name holding a line break, which no file could carry back"};
            name =
                storeBytes(nameText, [&] { return "the value name \"" + shown(nameText) + "\""; });
        }
        line = skipBlanks(line);
        if (line.empty() || line.front() != '=')
            throw ParseError{"\"=\" missing after the value name"};
        line = skipBlanks(line.substr(1));
        const auto what = [&] {
            return name.empty() && nameText.empty() ? std::string("the default value")
                                                    : "the value \"" + shown(nameText) + "\"";
        };
        if (!line.empty() && line.front() == '-') {
            if (!isBlankOrComment(line.substr(1))) throw ParseError{"text after \"-\""};
            changes_.push_back({RegFileChange::Kind::DeleteValue, *section_, name, {}});
            return;
        }
        changes_.push_back({RegFileChange::Kind::SetValue, *section_, name, valueData(line, what)});
    }

    template <typename What>
    RegValue valueData(Text data, const What& what) {
        if (!data.empty() && data.front() == '"') {
            const auto text = readQuoted(data);
            if (!isBlankOrComment(data)) throw ParseError{"text after a quoted value"};
            return RegValue{RegType::String, storeBytes(text, what) + '\0'};
        }
        if (startsWith(data, "dword:")) {
            data = skipBlanks(data.substr(6));
            const auto digits = data.size();
            const auto number = takeHexNumber(data);
            if (!number || digits - data.size() > 8 || !isBlankOrComment(data))
                throw ParseError{"a dword needs one to eight hexadecimal digits"};
            return RegValue{RegType::Dword, encodeDwordData(static_cast<std::uint32_t>(*number))};
        }
        RegType type = RegType::Binary;
        if (startsWith(data, "hex(")) {
            data = skipBlanks(data.substr(4));
            const auto number = takeHexNumber(data);
            if (!number || *number > 0xFFFFFFFFu || !startsWith(data, "):"))
                throw ParseError{"bad hex value type"};
            type = static_cast<RegType>(*number);
            data.remove_prefix(2);
        } else if (startsWith(data, "hex:")) {
            data.remove_prefix(4);
        } else {
            throw ParseError{"unknown value data"};
        }
        std::string bytes = hexList(data);
        if (!isStringType(type)) return RegValue{type, std::move(bytes)};
        if (file_.unicode) {
            if (bytes.size() % 2 != 0) throw ParseError{"UTF-16 string data of odd length"};
            bytes = storeBytes(decodeUtf16(bytes), what);
        }
        // The registry editor ends string data with the zero it lacks.
        if (!bytes.empty() && bytes.back() != '\0') bytes += '\0';
        return RegValue{type, std::move(bytes)};
    }

    // Bytes separated by commas, continued over lines that end in "\";
    // blank and ";" lines between them are skipped, and a final comma or a
    // continuation at the end of the file ends the list.
    std::string hexList(Text list) {
        std::string bytes;
        while (true) {
            list = skipBlanks(list);
            if (list.empty() || list.front() == ';') return bytes;
            if (list.front() == '\\') {
                if (!isBlankOrComment(list.substr(1))) throw ParseError{"text after \"\\\""};
                const auto next = nextContinuation();
                if (!next) return bytes;
                list = skipBlanks(*next);
                if (list.front() == ',')
                    throw ParseError{"a continued hex list starts with a comma"};
                continue;
            }
            const auto number = takeHexNumber(list);
            if (!number) throw ParseError{"bad hexadecimal number"};
            if (*number > 0xFF) throw ParseError{"a hex byte above ff"};
            bytes += static_cast<char>(*number);
            if (!list.empty() && list.front() == ',') {
                list.remove_prefix(1);
                continue;
            }
            if (isBlankOrComment(list)) return bytes;
            throw ParseError{isBlank(list.front()) ? "a space inside a hex list"
                                                   : "bad hexadecimal number"};
        }
    }

    std::optional<Text> nextContinuation() {
        while (index_ + 1 < file_.lines.size()) {
            const Text line = skipBlanks(file_.lines[++index_]);
            if (!line.empty() && line.front() != ';') return line;
        }
        return std::nullopt;
    }

    // A quoted text at the start of `text`; moves `text` past its closing
    // quote. "\n" and "\r" stand for line breaks, "\\" and "\"" for
    // themselves, and a backslash before any other character is dropped.
    std::u32string readQuoted(Text& text) {
        std::u32string result;
        for (std::size_t i = 1; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c == '"') {
                text.remove_prefix(i + 1);
                return result;
            }
            if (c == '\\' && i + 1 < text.size()) {
                c = text[++i];
                if (c == 'n') c = '\n';
                if (c == 'r') c = '\r';
                // The registry editor stops reading the file there.
                if (c == '0') throw ParseError{"\"\\0\" in a quoted text"};
            }
            result += c;
        }
        throw ParseError{"a quoted text is not closed"};
    }

    // Names and texts as the store keeps them: an 8-bit file's bytes as they
    // stand, a Unicode file's characters in the code page.
    template <typename What>
    std::string storeBytes(Text text, const What& what) const {
        std::string bytes;
        bytes.reserve(text.size());
        for (char32_t c : text) {
            if (!file_.unicode) {
                bytes += static_cast<char>(c);
                continue;
            }
            if (c == kNotACharacter)
                throw ParseError{what() + " holds bytes that are no Unicode text"};
            if (!appendInCodePage(codePage_, c, bytes)) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
                throw ConversionError{what() + " holds the character " + code +
                                      ", which code page " + codePageName(codePage_) + " lacks"};
            }
        }
        return bytes;
    }

    const SourceFile& file_;
    CodePage codePage_;
    std::size_t index_ = 0;
    std::optional<KeyName> section_;
    std::vector<RegFileChange> changes_;
};

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

std::string writeRegFile(const std::vector<ExportedKey>& keys, const RegFileFormat& format) {
    return RegFileWriter(format).write(keys);
}

std::vector<RegFileChange> parseRegFile(const std::string& text, const std::string& fileName,
                                        CodePage codePage) {
    const std::string notRegistryFile = fileName + " is not a registry file";
    const SourceFile file = decodeSource(text);
    // Leading blanks are allowed, trailing ones are not: the registry editor
    // reads nothing of a file whose header has them.
    const Text header = skipBlanks(file.lines.front());
    bool known = false, blanksAfter = false;
    for (const std::string_view name : {kRegedit4, kRegedit5}) {
        if (!startsWith(header, name)) continue;
        known = header.size() == name.size();
        blanksAfter = !known && skipBlanks(header.substr(name.size())).empty();
    }
    if (blanksAfter) throw RegToolError(notRegistryFile + " (line 1: blanks after the header)");
    if (!known) throw RegToolError(notRegistryFile);
    // A zero ends the text for the registry editor: nothing after it would land.
    for (std::size_t i = 0; i < file.lines.size(); ++i)
        if (file.lines[i].find(U'\0') != Text::npos)
            throw RegToolError(notRegistryFile + " (line " + std::to_string(i + 1) +
                               ": a zero character)");
    RegFileParser parser(file, codePage);
    try {
        return parser.parse();
    } catch (const ParseError& error) {
        throw RegToolError(notRegistryFile + " (line " + std::to_string(parser.lineNumber()) +
                           ": " + error.why + ")");
    } catch (const ConversionError& error) {
        throw RegToolError(fileName + " cannot be imported (line " +
                           std::to_string(parser.lineNumber()) + ": " + error.why + ")");
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
