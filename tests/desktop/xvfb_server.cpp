#include "tests/desktop/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char** environ;

namespace zn::testing {
namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr const char* kXdotool = "/usr/bin/xdotool";
constexpr int kStartTimeoutMs = 10000;

std::optional<pid_t> spawn(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment,
                           const posix_spawn_file_actions_t* fileActions) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], fileActions, nullptr, argv.data(), envp.data()) != 0)
        return std::nullopt;
    return pid;
}

std::vector<std::string> environmentWithDisplay(const std::string& display) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "DISPLAY=", 8) != 0) environment.emplace_back(*variable);
    }
    if (!display.empty()) environment.push_back("DISPLAY=" + display);
    return environment;
}

// Xvfb writes the number once it accepts connections; -noreset keeps it from
// refusing connections for a moment whenever its last client leaves.
std::string readDisplayName(int descriptor) {
    std::string number;
    pollfd readable{descriptor, POLLIN, 0};
    char character = 0;
    while (poll(&readable, 1, kStartTimeoutMs) > 0 && read(descriptor, &character, 1) == 1 &&
           character != '\n') {
        number += character;
    }
    return number.empty() ? std::string() : ":" + number;
}

}  // namespace

// -displayfd lets the server pick a free display number itself, so parallel
// test runs never collide.
XvfbServer::XvfbServer() {
    for (const char* tool : {kXvfb, kXdotool}) {
        if (access(tool, X_OK) != 0)
            throw std::runtime_error(std::string(tool) + " is not installed");
    }
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("no pipe for Xvfb's display number");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_ = spawn({kXvfb, "-displayfd", std::to_string(pipeEnds[1]), "-screen", "0", "640x480x24",
                  "-nolisten", "tcp", "-noreset"},
                 environmentWithDisplay(""), &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    display_ = readDisplayName(pipeEnds[0]);
    close(pipeEnds[0]);
    if (!pid_) throw std::runtime_error("Xvfb could not be started");
    if (display_.empty()) {
        stop();
        throw std::runtime_error("Xvfb did not take connections within 10 seconds");
    }
}

void XvfbServer::stop() {
    if (!pid_) return;
    kill(*pid_, SIGTERM);
    waitpid(*pid_, nullptr, 0);
    pid_.reset();
}

XvfbServer::~XvfbServer() {
    stop();
}

bool XvfbServer::xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{kXdotool};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto pid = spawn(command, environmentWithDisplay(display_), nullptr);
    int status = 0;
    return pid && waitpid(*pid, &status, 0) == *pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace zn::testing
