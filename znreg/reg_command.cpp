#include "znreg/reg_command.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <utility>

#include "znreg/export_file.h"

namespace zn::regtool {
namespace {

constexpr const char* kNotFound =
    "The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";
constexpr const char* kUsage =
    "Usage:\n"
    "  znreg query KEY [/v NAME | /ve]\n"
    "  znreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_EXPAND_SZ|REG_BINARY|REG_DWORD] [/d DATA] "
    "[/f]\n"
    "  znreg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  znreg export KEY FILE [/y] [--v5] [--codepage CP]\n"
    "  znreg import FILE [--codepage CP]\n"
    "KEY is ROOT\\path, ROOT one of HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM),\n"
    "HKEY_CLASSES_ROOT (HKCR). "
#ifdef _WIN32
    "The store is the Windows registry.\n"
#else
    "The store is $ZINTREL_REGISTRY, else\n"
    "$XDG_DATA_HOME/zintrel/registry.db.\n"
#endif
    "export writes REGEDIT4, or with --v5 a UTF-16 \"Windows Registry Editor Version 5.00\" file.\n"
    "Texts of Unicode files are converted to and from the code page CP: windows-1252 (the\n"
    "default) or utf-8.\n";

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

RegToolError invalidSyntax() {
    return RegToolError("Invalid syntax.");
}

// --- parsing

struct Options {
    std::optional<std::string> valueName;
    bool defaultValue = false;
    bool allValues = false;
    std::optional<std::string> type;
    std::optional<std::string> data;
};

Options parseOptions(const std::vector<std::string>& arguments, std::size_t first,
                     const std::string& allowed) {
    Options options;
    auto takeValue = [&](std::size_t& i, std::optional<std::string>& slot) {
        if (slot || i + 1 >= arguments.size()) throw invalidSyntax();
        slot = arguments[++i];
    };
    auto setFlag = [](bool& flag) {
        if (flag) throw invalidSyntax();
        flag = true;
    };
    bool force = false;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const std::string option = lowerCase(arguments[i]);
        if (option.size() < 2 || option.front() != '/' ||
            allowed.find(' ' + option + ' ') == std::string::npos)
            throw invalidSyntax();
        if (option == "/v") takeValue(i, options.valueName);
        if (option == "/t") takeValue(i, options.type);
        if (option == "/d") takeValue(i, options.data);
        if (option == "/ve") setFlag(options.defaultValue);
        if (option == "/va") setFlag(options.allValues);
        if (option == "/f" || option == "/y") setFlag(force);  // nothing is ever asked
    }
    if (int(options.valueName.has_value()) + options.defaultValue + options.allValues > 1)
        throw invalidSyntax();
    if (options.defaultValue) options.valueName = "";
    return options;
}

// Takes "--v5" and "--codepage CP" out of the arguments after the operands.
std::vector<std::string> takeLongOptions(const std::vector<std::string>& arguments,
                                         std::size_t first, bool exporting, RegFileFormat& format) {
    std::vector<std::string> rest(arguments.begin(), arguments.begin() + first);
    bool v5 = false, codePage = false;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const std::string option = lowerCase(arguments[i]);
        if (option == "--v5" && exporting && !v5) {
            format.v5 = v5 = true;
        } else if (option == "--codepage" && !codePage) {
            if (i + 1 >= arguments.size()) throw invalidSyntax();
            const auto parsed = parseCodePage(arguments[++i]);
            if (!parsed)
                throw RegToolError("Unknown code page \"" + arguments[i] +
                                   "\": use windows-1252 or utf-8.");
            format.codePage = *parsed;
            codePage = true;
        } else {
            rest.push_back(arguments[i]);
        }
    }
    return rest;
}

KeyName parseKeyArgument(const std::string& text) {
    auto key = parseKeyName(text);
    if (!key) throw RegToolError("Invalid key name.");
    return *key;
}

std::uint32_t parseDword(const std::string& text) {
    if (text.empty()) return 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::uint64_t number = 0;
    for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) throw RegToolError("Invalid number \"" + text + "\" for REG_DWORD.");
        number = number * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (number > 0xFFFFFFFFu)
            throw RegToolError("The number \"" + text + "\" is too large for REG_DWORD.");
    }
    return static_cast<std::uint32_t>(number);
}

std::string parseHexData(const std::string& text) {
    auto digit = [&](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw RegToolError("Invalid hexadecimal data \"" + text + "\" for REG_BINARY.");
    };
    if (text.size() % 2 != 0)
        throw RegToolError("Invalid hexadecimal data \"" + text + "\" for REG_BINARY.");
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2)
        bytes += static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1]));
    return bytes;
}

RegValue valueFromOptions(const Options& options) {
    const std::string type = lowerCase(options.type.value_or("REG_SZ"));
    const std::string data = options.data.value_or("");
    if (type == "reg_sz") return {RegType::String, encodeStringData(data)};
    if (type == "reg_expand_sz") return {RegType::ExpandString, encodeStringData(data)};
    if (type == "reg_dword") return {RegType::Dword, encodeDwordData(parseDword(data))};
    if (type == "reg_binary") return {RegType::Binary, parseHexData(data)};
    throw RegToolError("Invalid type \"" + *options.type + "\".");
}

// --- running

std::string typeName(RegType type) {
    switch (static_cast<std::uint32_t>(type)) {
        case 0:
            return "REG_NONE";
        case 1:
            return "REG_SZ";
        case 2:
            return "REG_EXPAND_SZ";
        case 3:
            return "REG_BINARY";
        case 4:
            return "REG_DWORD";
        case 7:
            return "REG_MULTI_SZ";
        case 11:
            return "REG_QWORD";
    }
    char text[24];
    std::snprintf(text, sizeof text, "REG_0x%X", static_cast<unsigned>(type));
    return text;
}

// Length of the UTF-8 sequence starting at `i`, 0 when none is there.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

// Terminal-safe: control bytes and bytes that are not UTF-8 text show as \xHH.
std::string displayText(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += text[i++];
        } else if (const auto length = byte >= 0x80 ? utf8SequenceLength(text, i) : 0) {
            shown += text.substr(i, length);
            i += length;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
            ++i;
        }
    }
    return shown;
}

std::string displayData(const RegValue& value) {
    if (value.type == RegType::String || value.type == RegType::ExpandString)
        return displayText(decodeStringData(value.data));
    if (value.type == RegType::Dword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", number);
        return text;
    }
    std::string hex;
    for (unsigned char byte : value.data) {
        char text[4];
        std::snprintf(text, sizeof text, "%02X", byte);
        hex += text;
    }
    return hex;
}

std::string valueLine(const std::string& name, const RegValue& value) {
    return "    " + (name.empty() ? std::string("(Default)") : displayText(name)) + "    " +
           typeName(value.type) + "    " + displayData(value);
}

KeyName child(const KeyName& parent, const std::string& name) {
    return {parent.root, parent.path.empty() ? name : parent.path + '\\' + name};
}

void query(const RegCommand& command, RegToolStore& store, std::ostream& out) {
    const auto key = store.registry().openKey(command.key.root, command.key.path, false);
    if (!key) throw RegToolError(kNotFound);
    std::vector<std::string> lines;
    if (command.valueName) {
        const auto value = key->readValue(*command.valueName);
        if (!value) throw RegToolError(kNotFound);
        lines.push_back(valueLine(*command.valueName, *value));
    } else {
        for (const auto& name : key->valueNames())
            if (const auto value = key->readValue(name)) lines.push_back(valueLine(name, *value));
    }
    out << '\n' << displayText(fullKeyName(command.key)) << '\n';
    for (const auto& line : lines) out << line << '\n';
    if (command.valueName) return;
    const auto subKeys = store.subKeyNames(command.key.root, command.key.path);
    if (subKeys.empty()) return;
    out << '\n';
    for (const auto& name : subKeys)
        out << displayText(fullKeyName(child(command.key, name))) << '\n';
}

void add(const RegCommand& command, RegToolStore& store) {
    const auto key = store.registry().openKey(command.key.root, command.key.path, true);
    if (!key) throw failedToSetData(command.key.path);
    if (command.valueName) key->writeValue(*command.valueName, command.value);
}

void remove(const RegCommand& command, RegToolStore& store) {
    auto& registry = store.registry();
    if (!command.valueName && !command.allValues) {
        if (command.key.path.empty()) throw RegToolError("A root key cannot be deleted.");
        if (!registry.deleteKey(command.key.root, command.key.path)) throw RegToolError(kNotFound);
        return;
    }
    const auto key = registry.openKey(command.key.root, command.key.path, false);
    if (!key) throw RegToolError(kNotFound);
    if (command.valueName) {
        if (!key->deleteValue(*command.valueName)) throw RegToolError(kNotFound);
        return;
    }
    const auto batch = registry.beginBatch();
    for (const auto& name : key->valueNames()) key->deleteValue(name);
    batch->commit();
}

void exportKey(const RegCommand& command, RegToolStore& store) {
    if (!store.registry().openKey(command.key.root, command.key.path, false))
        throw RegToolError(kNotFound);
    std::vector<ExportedKey> exported;
    store.visitTree(command.key, [&](const KeyName& name, const RegistryKey& key) {
        ExportedKey current{name, {}};
        for (const auto& valueName : key.valueNames())
            if (auto value = key.readValue(valueName))
                current.values.emplace_back(valueName, std::move(*value));
        exported.push_back(std::move(current));
    });
    writeExportFile(command.file, writeRegFile(exported, command.format), store.storeFiles());
}

void importFile(const RegCommand& command, RegToolStore& store) {
    std::ifstream file(command.file, std::ios::binary);
    if (!file) throw RegToolError("Cannot open file " + command.file);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) throw RegToolError("Cannot open file " + command.file);
    applyRegFile(store.registry(), parseRegFile(text.str(), command.file, command.format.codePage));
}

}  // namespace

void RegToolStore::visitTree(const KeyName& top, const TreeVisitor& visit) {
    std::vector<KeyName> pending{top};
    while (!pending.empty()) {
        const KeyName name = std::move(pending.back());
        pending.pop_back();
        const auto key = registry().openKey(name.root, name.path, false);
        if (!key) continue;  // deleted by someone else meanwhile
        visit(name, *key);
        const auto subKeys = subKeyNames(name.root, name.path);
        for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it)
            pending.push_back(child(name, *it));
    }
}

RegCommand parseRegCommand(const std::vector<std::string>& arguments) {
    if (arguments.empty()) throw invalidSyntax();
    const std::string operation = lowerCase(arguments[0]);
    RegCommand command;
    if (operation == "/?" || operation == "-?" || operation == "help") return command;
    // Operands come first, so that a file path starting with "/" is never taken for an option.
    auto operand = [&](std::size_t index) -> const std::string& {
        if (index >= arguments.size()) throw invalidSyntax();
        return arguments[index];
    };
    if (operation == "import") {
        command.kind = RegCommand::Kind::Import;
        command.file = operand(1);
        parseOptions(takeLongOptions(arguments, 2, false, command.format), 2, " ");
        return command;
    }
    command.key = parseKeyArgument(operand(1));
    if (operation == "export") {
        command.kind = RegCommand::Kind::Export;
        command.file = operand(2);
        parseOptions(takeLongOptions(arguments, 3, true, command.format), 3, " /y ");
        return command;
    }
    Options options;
    if (operation == "query") {
        command.kind = RegCommand::Kind::Query;
        options = parseOptions(arguments, 2, " /v /ve ");
    } else if (operation == "add") {
        command.kind = RegCommand::Kind::Add;
        options = parseOptions(arguments, 2, " /v /ve /t /d /f ");
        command.value = valueFromOptions(options);
    } else if (operation == "delete") {
        command.kind = RegCommand::Kind::Delete;
        options = parseOptions(arguments, 2, " /v /ve /va /f ");
    } else {
        throw invalidSyntax();
    }
    command.valueName = options.valueName;
    command.allValues = options.allValues;
    return command;
}

int runRegCommand(const RegCommand& command, RegToolStore& store, std::ostream& out,
                  std::ostream& err) {
    try {
        switch (command.kind) {
            case RegCommand::Kind::Help:
                out << kUsage;
                return 0;
            case RegCommand::Kind::Query:
                query(command, store, out);
                return 0;
            case RegCommand::Kind::Add:
                add(command, store);
                break;
            case RegCommand::Kind::Delete:
                remove(command, store);
                break;
            case RegCommand::Kind::Export:
                exportKey(command, store);
                break;
            case RegCommand::Kind::Import:
                importFile(command, store);
                break;
        }
    } catch (const std::exception& error) {
        err << "ERROR: " << displayText(error.what()) << '\n';
        return 1;
    }
    out << kDone << '\n';
    return 0;
}

int runRegTool(const std::vector<std::string>& arguments,
               const std::function<std::unique_ptr<RegToolStore>()>& openStore, std::ostream& out,
               std::ostream& err) {
    RegCommand command;
    try {
        command = parseRegCommand(arguments);
    } catch (const RegToolError& error) {
        err << "ERROR: " << displayText(error.what()) << '\n' << "Type \"znreg /?\" for usage.\n";
        return 1;
    }
    if (command.kind == RegCommand::Kind::Help) {
        out << kUsage;
        return 0;
    }
    std::unique_ptr<RegToolStore> store;
    try {
        store = openStore();
    } catch (const std::exception& error) {
        err << "ERROR: " << displayText(error.what()) << '\n';
        return 1;
    }
    return runRegCommand(command, *store, out, err);
}

}  // namespace zn::regtool
