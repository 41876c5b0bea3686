// Typed reads and writes over the raw registry primitives, shared by every store.
#include "platform/registry.h"

namespace zn {

RegistryError invalidDataType(const std::string& valueName) {
    return RegistryError("Invalid data type for '" + valueName + "'");
}

RegistryError failedToSetData(const std::string& valueName) {
    return RegistryError("Failed to set data for '" + valueName + "'");
}

RegistryError keyTooDeep(const std::string& path) {
    // Such a path runs to thousands of names: its two ends say which key it is.
    constexpr std::size_t kEnd = 80;
    std::string shown = path;
    if (path.size() > 3 * kEnd) {
        const auto head = path.find('\\', kEnd);
        const auto tail = path.rfind('\\', path.size() - kEnd);
        if (head != std::string::npos && tail != std::string::npos && head < tail)
            shown = path.substr(0, head) + "\\..." + path.substr(tail);
    }
    return RegistryError("The key '" + shown + "' is nested deeper than " +
                         std::to_string(kMaxKeyDepth) + " levels");
}

std::string encodeStringData(const std::string& text) {
    std::string data = text;
    data.push_back('\0');
    return data;
}

std::string decodeStringData(const std::string& data) {
    if (!data.empty() && data.back() == '\0') return data.substr(0, data.size() - 1);
    return data;
}

std::string encodeDwordData(std::uint32_t number) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return data;
}

void RegistryKey::forEachValue(const ValueVisitor& visit) const {
    for (const auto& name : valueNames())
        if (const auto value = readValue(name)) visit(value->type, value->data);
}

std::string RegistryKey::readString(const std::string& name) const {
    const auto value = readValue(name);
    if (!value) return {};
    if (value->type != RegType::String && value->type != RegType::ExpandString)
        throw invalidDataType(name);
    return decodeStringData(value->data);
}

std::optional<std::uint32_t> RegistryKey::readInteger(const std::string& name) const {
    const auto value = readValue(name);
    if (!value) return std::nullopt;
    if (value->type != RegType::Dword || value->data.size() != 4) throw invalidDataType(name);
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | static_cast<unsigned char>(value->data[i]);
    return number;
}

void RegistryKey::writeString(const std::string& name, const std::string& text) {
    writeValue(name, RegValue{RegType::String, encodeStringData(text)});
}

void RegistryKey::writeInteger(const std::string& name, std::uint32_t number) {
    writeValue(name, RegValue{RegType::Dword, encodeDwordData(number)});
}

}  // namespace zn
