// Actions handed over by later starts, held until the start-up sequence has
// run: before it no hotkey is registered, so no hotkey could have reached the
// program either, and the first run's password dialog must come first.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "platform/instance_channel.h"

namespace zn {

class HandOverInbox {
public:
    // More than a user could mean: a flood before start-up drops the rest.
    static constexpr std::size_t kMostHeld = 16;

    explicit HandOverInbox(std::function<void(HandOverAction)> deliver)
        : deliver_(std::move(deliver)) {}

    void receive(HandOverAction action) {
        if (open_) {
            deliver_(action);
        } else if (held_.size() < kMostHeld) {
            held_.push_back(action);
        }
    }

    // The start-up sequence is done: what was held goes first, in its order.
    void open() {
        if (open_) return;
        open_ = true;
        for (const HandOverAction action : std::exchange(held_, {})) deliver_(action);
    }

private:
    std::function<void(HandOverAction)> deliver_;
    std::vector<HandOverAction> held_;
    bool open_ = false;
};

}  // namespace zn
