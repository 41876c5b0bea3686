#include "platform/linux/session_type.h"

#include <cstdlib>
#include <string_view>

namespace zn {

bool isWaylandSession(const char* waylandDisplay, const char* sessionType) {
    if (waylandDisplay && *waylandDisplay) return true;
    return sessionType && std::string_view(sessionType) == "wayland";
}

bool isWaylandSession() {
    return isWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"));
}

}  // namespace zn
