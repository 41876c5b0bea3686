// The line to the copy of the vault that already runs for this user. A start
// that only asks for an action (show or hide the window, capture the page)
// hands it over and ends, so that a desktop without global hotkeys can bind
// the commands to its own keys.
#pragma once

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

class InstanceChannel {
public:
    virtual ~InstanceChannel() = default;
    virtual HandOverResult handOver(HandOverAction action) = 0;
    // True when a copy of this user's is running and holds the line.
    virtual bool copyRuns() = 0;
};

}  // namespace zn
