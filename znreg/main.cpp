// znreg: the registry tool over the user's store. Wiring only.
#include <iostream>

#include "platform/linux/registry_location.h"
#include "znreg/sqlite_tool_store.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zn::regtool::runRegTool(
        arguments,
        [] {
            return std::make_unique<zn::regtool::SqliteToolStore>(
                zn::SqliteRegistry::open(zn::registryLocation().string()));
        },
        std::cout, std::cerr);
}
