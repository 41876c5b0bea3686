// znreg.exe: the registry tool over the Windows registry. Wiring only.
#include <iostream>

#include "znreg/win32_tool_store.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    zn::win32::Win32Registry registry;
    return zn::regtool::runRegTool(
        arguments, [&registry] { return std::make_unique<zn::regtool::Win32ToolStore>(registry); },
        std::cout, std::cerr);
}
