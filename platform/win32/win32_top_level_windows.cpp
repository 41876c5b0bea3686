#include "platform/win32/win32_top_level_windows.h"

#include <windows.h>

namespace zn::win32 {

bool Win32TopLevelWindows::existsTitled(const std::string& title) const {
    return FindWindowA(nullptr, title.c_str()) != nullptr;
}

}  // namespace zn::win32
