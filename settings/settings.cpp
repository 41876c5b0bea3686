#include "settings/settings.h"

namespace zn {

bool readFlag(const RegistryKey& key, const std::string& name, bool defaultValue) {
    try {
        const auto number = key.readInteger(name);
        return number ? *number != 0 : defaultValue;
    } catch (const RegistryError&) {
        return defaultValue;
    }
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
