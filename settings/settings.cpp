#include "settings/settings.h"

namespace zn {

bool readFlag(const RegistryKey& key, const std::string& name, bool defaultValue) {
    // Only the value's absence or type gives the default; a store that cannot
    // be read raises here as at every other read.
    const auto value = key.readValue(name);
    if (!value || value->type != RegType::Dword || value->data.size() != 4) return defaultValue;
    return value->data != std::string(4, '\0');
}

void writeFlag(RegistryKey& key, const std::string& name, bool on) {
    key.writeInteger(name, on ? 1 : 0);
}

std::string readShortcutText(const RegistryKey& key, const std::string& name,
                             const std::string& defaultText) {
    std::string text = key.readString(name);
    return text.empty() ? defaultText : text;
}

std::string autostartCommand(const std::string& executablePath) {
    return executablePath + " /S";
}

}  // namespace zn
