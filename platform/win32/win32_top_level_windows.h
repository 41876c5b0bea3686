// The test for a running program on Windows: FindWindowA by title alone,
// which compares without regard to letter case and sees hidden windows too,
// such as the program's application window.
#pragma once

#include "platform/top_level_windows.h"

namespace zn::win32 {

class Win32TopLevelWindows : public TopLevelWindows {
public:
    bool existsTitled(const std::string& title) const override;
};

}  // namespace zn::win32
