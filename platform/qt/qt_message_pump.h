// Waiting messages handled from Qt's event loop. While input is held, the
// user's keys and clicks stay queued and reach their windows afterwards, when
// a modal dialog may already have shut the main window off from them.
#pragma once

#include "platform/message_pump.h"

namespace zn {

class QtMessagePump : public MessagePump {
public:
    void processWaitingMessages() override;
    void holdUserInput(bool hold) override { inputHolds_ += hold ? 1 : -1; }

private:
    int inputHolds_ = 0;
};

}  // namespace zn
