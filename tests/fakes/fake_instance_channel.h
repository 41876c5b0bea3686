// A hand-over line that records what it was given and answers as told.
#pragma once

#include <vector>

#include "platform/instance_channel.h"

namespace zn::testing {

class FakeInstanceChannel : public InstanceChannel {
public:
    HandOverResult result = HandOverResult::NoCopy;  // what every hand-over meets
    std::vector<HandOverAction> handedOver;

    HandOverResult handOver(HandOverAction action) override {
        handedOver.push_back(action);
        return result;
    }
    bool copyRuns() override { return result != HandOverResult::NoCopy; }
};

}  // namespace zn::testing
