// A hand-over line that records what it was given and answers as told.
#pragma once

#include <memory>
#include <vector>

#include "platform/instance_channel.h"

namespace zn::testing {

class FakeInstanceChannel : public InstanceChannel {
public:
    HandOverResult result = HandOverResult::NoCopy;  // what every hand-over meets
    std::vector<HandOverAction> handedOver;
    bool startLocked = false;                 // a start lock is out now
    std::vector<bool> lockedWhenHandedOver;  // for each hand-over

    std::unique_ptr<StartLock> lockStart() override {
        return std::make_unique<FakeStartLock>(startLocked);
    }
    HandOverResult handOver(HandOverAction action) override {
        handedOver.push_back(action);
        lockedWhenHandedOver.push_back(startLocked);
        return result;
    }
    bool copyRuns() override { return result != HandOverResult::NoCopy; }

private:
    // Must not outlive its line.
    class FakeStartLock : public StartLock {
    public:
        explicit FakeStartLock(bool& held) : held_(held) { held_ = true; }
        ~FakeStartLock() override { held_ = false; }

    private:
        bool& held_;
    };
};

}  // namespace zn::testing
