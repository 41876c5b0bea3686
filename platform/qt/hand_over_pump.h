// Brings the actions later starts hand over into the Qt event loop, where
// they reach the program on the UI thread as hotkey presses do, modal
// dialogs included.
#pragma once

#include <QObject>
#include <functional>

#include "platform/instance_channel.h"

class QSocketNotifier;

namespace zn {

class HandOverListener;

class HandOverPump : public QObject {
    Q_OBJECT
public:
    HandOverPump(HandOverListener& listener, std::function<void(HandOverAction)> onAction,
                 QObject* parent = nullptr);

private:
    HandOverListener& listener_;
    std::function<void(HandOverAction)> onAction_;
    QSocketNotifier* notifier_;  // a child, owned by Qt's tree
};

}  // namespace zn
