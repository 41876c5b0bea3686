#include "setup/install_record.h"

#include <algorithm>
#include <utility>

#include "setup/installation.h"

namespace zn::setup {
namespace {

constexpr std::pair<MadeKind, const char*> kKindNames[] = {
    {MadeKind::File, "file"},
    {MadeKind::Link, "link"},
    {MadeKind::Folder, "folder"},
    {MadeKind::SharedFolder, "shared-folder"},
};

const char* kindName(MadeKind kind) {
    for (const auto& [each, name] : kKindNames)
        if (each == kind) return name;
    return "";
}

bool recordable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

std::string formatInstallRecord(const InstallRecord& record) {
    std::string text;
    for (const auto& thing : record) {
        if (!recordable(thing.path)) continue;
        text += kindName(thing.kind);
        text += ' ';
        text += thing.path;
        text += '\n';
    }
    return text;
}

InstallRecord parseInstallRecord(const std::string& text) {
    InstallRecord record;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const auto blank = line.find(' ');
        if (blank == std::string::npos || blank + 1 == line.size()) continue;
        const std::string kind = line.substr(0, blank);
        for (const auto& [each, name] : kKindNames)
            if (kind == name) record.push_back({each, line.substr(blank + 1)});
    }
    return record;
}

std::optional<InstallRecord> readInstallRecord(Registry& registry) {
    const auto key = registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, false);
    if (!key) return std::nullopt;
    const auto value = key->readValue(kInstalledValue);
    if (!value || (value->type != RegType::String && value->type != RegType::ExpandString))
        return std::nullopt;
    return parseInstallRecord(decodeStringData(value->data));
}

void writeInstallRecord(Registry& registry, const InstallRecord& record) {
    const auto key = registry.openKey(RegRoot::CurrentUser, kVaultKeyPath, !record.empty());
    if (!key) {
        if (record.empty()) return;
        throw failedToSetData(kInstalledValue);
    }
    if (record.empty())
        key->deleteValue(kInstalledValue);
    else
        key->writeString(kInstalledValue, formatInstallRecord(record));
}

bool addToRecord(InstallRecord& record, MadeKind kind, const std::string& path) {
    if (!recordable(path)) return false;
    const MadeThing thing{kind, path};
    if (std::find(record.begin(), record.end(), thing) != record.end()) return false;
    record.push_back(thing);
    return true;
}

}  // namespace zn::setup
