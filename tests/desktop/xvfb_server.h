// An X server of the test's own, and key presses sent to it as a user at
// the keyboard would make them (xdotool, through XTEST).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zn::testing {

// A server that cannot be started is a failure, never a reason to skip: the
// build machine installs Xvfb and xdotool with everything else.
class XvfbServer {
public:
    // Throws std::runtime_error when Xvfb is missing or does not start.
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; }
    // Runs xdotool against this server and waits for it; true on success.
    bool xdotool(const std::vector<std::string>& arguments) const;

private:
    void stop();

    std::optional<pid_t> pid_;
    std::string display_;
};

}  // namespace zn::testing
