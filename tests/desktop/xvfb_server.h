// An X server of the test's own, and key presses sent to it as a user at
// the keyboard would make them (xdotool, through XTEST).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace zn::testing {

class XvfbServer {
public:
    // False when Xvfb or xdotool is not installed; tests then skip.
    static bool toolsAvailable();

    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return pid_ && !display_.empty(); }
    const std::string& display() const { return display_; }
    // Runs xdotool against this server and waits for it; true on success.
    bool xdotool(const std::vector<std::string>& arguments) const;

private:
    std::optional<pid_t> pid_;
    std::string display_;
};

}  // namespace zn::testing
