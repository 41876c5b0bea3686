// What the vault's command line asks for: a plain start (optionally hidden
// with "/S"), an action for the copy that already runs, help, or the version.
// Read before anything else starts, so that handing an action over costs no
// window and no display.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/instance_channel.h"

namespace zn {

struct CommandLine {
    enum class Request { Start, Help, Version, UsageError };
    Request request = Request::Start;
    std::optional<HandOverAction> action;
    // What the main window reads ("/S" and anything else that is no option).
    std::vector<std::string> programArguments;
    // The toolkit's own options ("-session ID" from a restored session), with their values.
    std::vector<std::string> toolkitArguments;
    std::string usageError;  // the whole text for standard error
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string helpText();
std::string versionText();

// What a start does once its command line is read.
struct StartDecision {
    bool exitNow = false;
    int exitStatus = 0;
    std::string standardOutput;
    std::string standardError;
    // For a start that runs: the action to carry out once the start-up
    // sequence is done.
    std::optional<HandOverAction> actionAfterStartUp;
    // For an action's start that found no copy: held until this process
    // takes the line itself, so that a start at the same moment finds it.
    std::unique_ptr<StartLock> startLock;
};

// Hands an action to the running copy when one answers; otherwise the
// program starts as a plain start would and then carries the action out.
StartDecision decideStart(const CommandLine& commandLine, InstanceChannel& channel);

// The hotkey whose message an action stands for.
int hotkeyIdOf(HandOverAction action);

}  // namespace zn
