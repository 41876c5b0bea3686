#include "platform/qt/hand_over_pump.h"

#include <QSocketNotifier>

#include "platform/linux/hand_over_socket.h"

namespace zn {

HandOverPump::HandOverPump(HandOverListener& listener, std::function<void(HandOverAction)> onAction,
                           QObject* parent)
    : QObject(parent),
      listener_(listener),
      onAction_(std::move(onAction)),
      notifier_(new QSocketNotifier(listener.fileDescriptor(), QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this,
            [this] { listener_.receivePending(onAction_); });
}

}  // namespace zn
