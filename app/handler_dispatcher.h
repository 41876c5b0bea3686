// Every handler runs through one dispatcher: a failure a handler did not catch
// itself ends that handler and reaches the user in the application's error
// box; the program goes on.
#pragma once

#include <functional>
#include <string>

#include "platform/message_boxes.h"

namespace zn {

// The text as the error box shows it: with a full stop at the end.
std::string withFullStop(std::string text);

class HandlerDispatcher {
public:
    explicit HandlerDispatcher(MessageBoxes& messages) : messages_(messages) {}
    // False when the handler failed.
    bool run(const std::function<void()>& handler) const;

private:
    MessageBoxes& messages_;
};

}  // namespace zn
