// One-shot timers from Qt's event loop.
#pragma once

#include <QTimer>

#include "platform/timers.h"

namespace zn {

class QtTimers : public Timers {
public:
    void startOneShot(int milliseconds, std::function<void()> fire) override {
        QTimer::singleShot(milliseconds, std::move(fire));
    }
};

}  // namespace zn
