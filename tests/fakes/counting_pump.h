// A message pump that counts the times it is asked to handle waiting
// messages and whether the user's input was held then.
#pragma once

#include <functional>

#include "platform/message_pump.h"

namespace zn::testing {

class CountingPump : public MessagePump {
public:
    void processWaitingMessages() override {
        ++calls;
        if (inputHeld > 0) ++callsWithInputHeld;
        if (duringNext) duringNext();
    }
    void holdUserInput(bool hold) override { inputHeld += hold ? 1 : -1; }

    int calls = 0;
    int callsWithInputHeld = 0;
    int inputHeld = 0;
    std::function<void()> duringNext;
};

}  // namespace zn::testing
