#include "platform/qt/qt_message_pump.h"

#include <QCoreApplication>

namespace zn {

void QtMessagePump::processWaitingMessages() {
    QCoreApplication::processEvents(inputHolds_ > 0 ? QEventLoop::ExcludeUserInputEvents
                                                    : QEventLoop::AllEvents);
}

}  // namespace zn
