// The znreg tool's view of the Windows registry.
#pragma once

#include "platform/win32/win32_registry.h"
#include "znreg/reg_command.h"

namespace zn::regtool {

class Win32ToolStore : public RegToolStore {
public:
    explicit Win32ToolStore(win32::Win32Registry& registry) : registry_(registry) {}
    Registry& registry() override { return registry_; }
    std::vector<std::string> subKeyNames(RegRoot root, const std::string& path) override {
        return registry_.subKeyNames(root, path);
    }

private:
    win32::Win32Registry& registry_;
};

}  // namespace zn::regtool
