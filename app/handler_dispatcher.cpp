#include "app/handler_dispatcher.h"

#include <exception>

namespace zn {

std::string withFullStop(std::string text) {
    if (text.empty() || text.back() != '.') text += '.';
    return text;
}

bool HandlerDispatcher::run(const std::function<void()>& handler) const {
    try {
        handler();
        return true;
    } catch (const std::exception& failure) {
        messages_.showApplicationError(withFullStop(failure.what()));
    }
    return false;
}

}  // namespace zn
