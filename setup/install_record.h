// The record of what setup made: every folder, file and shortcut, kept as the
// value "installed" beside "installdir" in the vault key. Each Install adds
// to it, so the uninstaller removes what every earlier Install made as well
// (also one that failed half-way), and nothing setup did not make.
//
// The value holds one line per thing made: its kind, a blank, its path. A
// path holding a line break is never recorded, so no line can be forged.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zn::setup {

inline constexpr const char* kInstalledValue = "installed";

enum class MadeKind {
    File,
    Link,
    // A folder that is Zintrel's alone: not being able to remove it is worth saying.
    Folder,
    // A folder made on the way to one of Zintrel's, which other programs may
    // come to use too: it goes only when empty, silently.
    SharedFolder,
};

struct MadeThing {
    MadeKind kind;
    std::string path;
    bool operator==(const MadeThing&) const = default;
};

using InstallRecord = std::vector<MadeThing>;

std::string formatInstallRecord(const InstallRecord& record);
// Lines it does not understand are dropped.
InstallRecord parseInstallRecord(const std::string& text);

// nullopt when there is no record: an installation by a setup that kept none.
std::optional<InstallRecord> readInstallRecord(Registry& registry);
// An empty record deletes the value. Raises as a registry write does.
void writeInstallRecord(Registry& registry, const InstallRecord& record);

// Adds a thing unless it is there already (or its path cannot be recorded);
// true when the record changed.
bool addToRecord(InstallRecord& record, MadeKind kind, const std::string& path);

}  // namespace zn::setup
