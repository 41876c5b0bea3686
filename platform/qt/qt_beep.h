// The desktop's bell as the system's default sound.
#pragma once

#include <QApplication>

#include "platform/beep.h"

namespace zn {

class QtBeep : public Beep {
public:
    void play() override { QApplication::beep(); }
};

}  // namespace zn
