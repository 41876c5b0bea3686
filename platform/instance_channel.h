// The line to the copy of the vault that already runs for this user. A start
// that only asks for an action (show or hide the window, capture the page)
// hands it over and ends, so that a desktop without global hotkeys can bind
// the commands to its own keys.
#pragma once

#include <memory>

namespace zn {

enum class HandOverAction {
    Toggle,   // what the show/hide hotkey does
    Capture,  // what the capture hotkey does
};

enum class HandOverResult {
    Delivered,  // the running copy took the action
    NoCopy,     // no copy of this user's answers the line
    NoAnswer,   // a copy of this user's is there but did not take it in time
};

// Held by a start that asks for a copy, from before it asks until, finding
// none, it takes the line itself. Two starts at the same moment would both
// find none and both start; with the lock the second waits, then finds the
// first and hands its action over. The system lets it go when its holder
// dies, so a crashed start never keeps the next one out.
class StartLock {
public:
    virtual ~StartLock() = default;
};

class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;
    // Waits while another start of this user's holds the lock, but never
    // long; null when it cannot be had, and the start goes on without it.
    virtual std::unique_ptr<StartLock> lockStart() = 0;
    virtual HandOverResult handOver(HandOverAction action) = 0;
    // True when a copy of this user's is running and holds the line.
    virtual bool copyRuns() = 0;
};

}  // namespace zn
