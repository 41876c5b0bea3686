// Waiting messages handled from inside a long operation. While input is
// held, the user's keys and clicks stay in the queue and reach their windows
// afterwards, when a modal window may already have shut the others off.
#pragma once

#include "platform/message_pump.h"

namespace zn::win32 {

class Win32MessagePump : public MessagePump {
public:
    void processWaitingMessages() override;
    void holdUserInput(bool hold) override { inputHolds_ += hold ? 1 : -1; }

private:
    int inputHolds_ = 0;
};

}  // namespace zn::win32
