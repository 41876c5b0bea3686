// The system's default sound.
#pragma once

namespace zn {

class Beep {
public:
    virtual ~Beep() = default;
    virtual void play() = 0;
};

}  // namespace zn
