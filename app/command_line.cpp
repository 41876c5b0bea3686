#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "desktop/shortcut_text.h"

#ifndef ZN_VERSION
#define ZN_VERSION "unknown"
#endif

namespace zn {
namespace {

constexpr const char* kProgramName = "znvault";

// The toolkit reads these itself; a session manager restarts the program
// with "-session ID", which must not be refused as unknown.
constexpr std::array<std::string_view, 12> kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<std::string_view, 5> kToolkitFlags = {"reverse", "widgetcount", "nograb",
                                                           "dograb", "qmljsdebugger"};

template <std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The toolkit takes its options with one dash or two.
std::string_view optionName(std::string_view argument) {
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    return argument.substr(0, argument.find('='));
}

CommandLine requestOnly(CommandLine::Request request) {
    CommandLine line;
    line.request = request;
    return line;
}

StartDecision exitWith(int status, std::string standardOutput, std::string standardError) {
    StartDecision decision;
    decision.exitNow = true;
    decision.exitStatus = status;
    decision.standardOutput = std::move(standardOutput);
    decision.standardError = std::move(standardError);
    return decision;
}

CommandLine usageError(const std::string& problem) {
    CommandLine refused;
    refused.request = CommandLine::Request::UsageError;
    refused.usageError = std::string(kProgramName) + ": " + problem + "\nTry '" + kProgramName +
                         " --help' for more information.\n";
    return refused;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    // Help and the version win over anything else on the line, mistakes included.
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h")
            return requestOnly(CommandLine::Request::Help);
        if (argument == "--version") return requestOnly(CommandLine::Request::Version);
    }

    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            line.programArguments.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<HandOverAction> action;
        if (argument == "--toggle") action = HandOverAction::Toggle;
        if (argument == "--capture") action = HandOverAction::Capture;
        if (action) {
            if (line.action && *line.action != *action)
                return usageError("--toggle and --capture cannot be given together");
            line.action = action;
            continue;
        }
        const std::string_view name = optionName(argument);
        if (isOneOf(name, kToolkitFlags)) {
            line.toolkitArguments.push_back(argument);
            continue;
        }
        if (isOneOf(name, kToolkitOptionsWithValue)) {
            line.toolkitArguments.push_back(argument);
            if (argument.find('=') != std::string::npos) continue;
            if (i + 1 == arguments.size())
                return usageError("option '" + argument + "' needs a value");
            line.toolkitArguments.push_back(arguments[++i]);
            continue;
        }
        return usageError("unknown option '" + argument + "'");
    }
    return line;
}

std::string helpText() {
    return "Usage: znvault [--toggle | --capture] [/S]\n"
           "Keeps a private list of web bookmarks behind a master password.\n"
           "\n"
           "  /S          start hidden, as at log-in\n"
           "  --toggle    show the running Zintrel's window, or hide it when it shows\n"
           "              (what the show/hide hotkey does, Ctrl+Alt+P unless changed)\n"
           "  --capture   add the page a browser shows as a bookmark\n"
           "              (what the capture hotkey does, Ctrl+Alt+B unless changed)\n"
           "  --help      show this help and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "With --toggle or --capture the Zintrel already running for you carries the\n"
           "action out and this command ends at once; with none running, Zintrel starts\n"
           "and then carries it out. Bind these two commands to keys in the desktop's\n"
           "keyboard settings where the hotkeys cannot be registered.\n";
}

std::string versionText() {
    return std::string(kProgramName) + " (Zintrel) " + ZN_VERSION + "\n";
}

StartDecision decideStart(const CommandLine& commandLine, InstanceChannel& channel) {
    StartDecision decision;
    switch (commandLine.request) {
        case CommandLine::Request::Help:
            return exitWith(0, helpText(), "");
        case CommandLine::Request::Version:
            return exitWith(0, versionText(), "");
        case CommandLine::Request::UsageError:
            return exitWith(2, "", commandLine.usageError);
        case CommandLine::Request::Start:
            break;
    }
    if (!commandLine.action) return decision;
    std::unique_ptr<StartLock> startLock = channel.lockStart();
    switch (channel.handOver(*commandLine.action)) {
        case HandOverResult::Delivered:
            return exitWith(0, "", "");
        case HandOverResult::NoAnswer:
            // Starting beside a copy that is only busy would leave two vaults
            // saving over each other; the action is still queued with it.
            return exitWith(1, "",
                            std::string(kProgramName) +
                                ": the running Zintrel did not answer in time; it will act on "
                                "the request once it is free.\n");
        case HandOverResult::NoCopy:
            decision.startLock = std::move(startLock);
            break;
    }
    // A plain start shows the window by itself, which is what the toggle asks
    // of a hidden one; toggling again would hide it at once.
    if (*commandLine.action == HandOverAction::Capture)
        decision.actionAfterStartUp = HandOverAction::Capture;
    return decision;
}

int hotkeyIdOf(HandOverAction action) {
    return action == HandOverAction::Toggle ? kToggleHotkeyId : kCaptureHotkeyId;
}

}  // namespace zn
