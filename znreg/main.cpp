// znreg: the registry tool over the user's store. Wiring only.
#include <iostream>

#include "platform/linux/registry_location.h"
#include "platform/linux/sqlite_registry.h"
#include "znreg/reg_command.h"

namespace {

class SqliteToolStore : public zn::regtool::RegToolStore {
public:
    explicit SqliteToolStore(std::unique_ptr<zn::SqliteRegistry> registry)
        : registry_(std::move(registry)) {}
    zn::Registry& registry() override { return *registry_; }
    std::vector<std::string> subKeyNames(zn::RegRoot root, const std::string& path) override {
        return registry_->subKeyNames(root, path);
    }

private:
    std::unique_ptr<zn::SqliteRegistry> registry_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zn::regtool::runRegTool(
        arguments,
        [] {
            return std::make_unique<SqliteToolStore>(
                zn::SqliteRegistry::open(zn::registryLocation().string()));
        },
        std::cout, std::cerr);
}
