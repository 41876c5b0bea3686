// The Qt message loop, handed control from inside a handler.
#pragma once

#include <QApplication>

#include "platform/message_loop.h"

namespace zn {

class QtMessageLoop : public MessageLoop {
public:
    void processWaitingMessages() override { QApplication::processEvents(); }
};

}  // namespace zn
