// Which kind of graphical session the program runs in, from the environment
// the session gives its programs.
#pragma once

namespace zn {

// A Wayland compositor announces its socket in WAYLAND_DISPLAY; a login
// manager names the session type in XDG_SESSION_TYPE. An X11 program started
// by a Wayland session (through Xwayland) still runs in a Wayland session.
bool isWaylandSession(const char* waylandDisplay, const char* sessionType);
// The same for this process's environment.
bool isWaylandSession();

}  // namespace zn
