// One-shot timers on the user-interface thread.
#pragma once

#include <functional>

namespace zn {

class Timers {
public:
    virtual ~Timers() = default;
    // Calls fire once, about milliseconds from now, from the message loop.
    virtual void startOneShot(int milliseconds, std::function<void()> fire) = 0;
};

}  // namespace zn
