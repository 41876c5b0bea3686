// The test for a running program: a top-level window with a given title.
#pragma once

#include <string>

namespace zn {

class TopLevelWindows {
public:
    virtual ~TopLevelWindows() = default;
    // True when a top-level window's whole title is this text, letter case
    // ignored; hidden windows count. False when there is no display.
    virtual bool existsTitled(const std::string& title) const = 0;
};

}  // namespace zn
