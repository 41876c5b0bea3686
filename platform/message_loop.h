// Handing control back to the message loop from inside a handler.
#pragma once

namespace zn {

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Handles every message that is waiting, then returns.
    virtual void processWaitingMessages() = 0;
};

}  // namespace zn
