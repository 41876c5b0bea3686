// The hand-over line on Windows: a registered window message sent to the
// running copy's hidden application window, found by its class and title.
// Only a window whose process runs as this same user is ever sent anything.
// The copy answers at once and carries the action out from its own message
// loop, so the sender never waits on a dialog the action opens. The start
// lock is a mutex named for the user in the session's namespace.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/instance_channel.h"
#include "platform/win32/application_window.h"

namespace zn::win32 {

class Win32InstanceChannel : public InstanceChannel {
public:
    explicit Win32InstanceChannel(UINT answerTimeMs = 5000) : answerTimeMs_(answerTimeMs) {}

    // Waits for another start's lock no longer than for an answer. Held
    // until the application window answers the message.
    std::unique_ptr<StartLock> lockStart() override;
    HandOverResult handOver(HandOverAction action) override;
    bool copyRuns() override;

private:
    HandOverResult send(WPARAM request);

    UINT answerTimeMs_;
};

// The copy's end, on its application window.
class HandOverReceiver {
public:
    HandOverReceiver(ApplicationWindow& window, std::function<void(HandOverAction)> onAction);
    ~HandOverReceiver();
    HandOverReceiver(const HandOverReceiver&) = delete;
    HandOverReceiver& operator=(const HandOverReceiver&) = delete;

private:
    ApplicationWindow& window_;
    UINT message_;
};

}  // namespace zn::win32
