#include "platform/linux/autostart_mirror.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "platform/linux/atomic_file.h"
#include "platform/linux/registry_location.h"

namespace zn {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool namesRegularFile(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(path, ignored);
}

// Blanks outside double quotes separate arguments; the quotes only group.
std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (isBlank(c) && !quoted) {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

bool needsQuoting(const std::string& argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    return argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
}

std::string quoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// "%" starts a field code in Exec; a literal one is doubled.
std::string escapePercent(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '%') escaped += '%';
    }
    return escaped;
}

// The string-value escapes of a desktop entry, applied over the Exec quoting.
std::string escapeStringValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

bool replaceFile(const std::filesystem::path& target, const std::string& text) {
    return replaceFileAtomically(target, text, 0644);
}

}  // namespace

RunCommand parseRunCommand(const std::string& commandLine) {
    const auto start = commandLine.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    const std::string_view text = std::string_view(commandLine).substr(start);

    RunCommand command;
    std::size_t programEnd = text.size();
    std::size_t restStart = text.size();
    if (text.front() == '"') {
        // An unclosed quote runs to the end of the text.
        const auto closing = text.find('"', 1);
        command.program =
            std::string(text.substr(1, closing == text.npos ? text.npos : closing - 1));
        restStart = closing == text.npos ? text.size() : closing + 1;
    } else {
        // The path itself is not quoted and may hold blanks, so try the
        // longest candidate first.
        bool found = false;
        for (std::size_t end = text.size(); !found && end > 0; --end) {
            if (end < text.size() && !isBlank(text[end])) continue;
            if (namesRegularFile(std::string(text.substr(0, end)))) {
                programEnd = end;
                found = true;
            }
        }
        if (!found) {
            programEnd = text.find_first_of(" \t");
            if (programEnd == text.npos) programEnd = text.size();
        }
        command.program = std::string(text.substr(0, programEnd));
        restStart = programEnd;
    }
    command.arguments = splitArguments(text.substr(restStart));
    return command;
}

std::string desktopExecValue(const RunCommand& command) {
    std::string exec = escapePercent(quoteExecArgument(command.program));
    for (const auto& argument : command.arguments)
        exec +=
            ' ' + escapePercent(needsQuoting(argument) ? quoteExecArgument(argument) : argument);
    return exec;
}

std::string desktopStringValue(const std::string& text) {
    return escapeStringValue(text);
}

std::string autostartDesktopEntry(const RunCommand& command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Zintrel\n"
           "Comment=Started at log-on from the Zintrel store's Run key\n"
           "Exec=" +
           escapeStringValue(desktopExecValue(command)) +
           "\n"
           // Once the program is gone (a package removed), log-on skips the
           // entry instead of failing to start it.
           "TryExec=" +
           escapeStringValue(command.program) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string autostartFileName(const std::string& valueName) {
    if (valueName.empty()) return "zintrel-run.desktop";
    static constexpr char kHex[] = "0123456789abcdef";
    std::string stem;
    for (unsigned char c : valueName) {
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.') {
            stem += static_cast<char>(c);
        } else {
            // Escaped rather than dropped, so that two names never share a file.
            stem += '_';
            stem += kHex[c >> 4];
            stem += kHex[c & 0xF];
        }
    }
    // File names are limited to 255 bytes; a long name keeps its start and a
    // hash of the whole.
    static constexpr std::size_t kLongestStem = 200;
    if (stem.size() > kLongestStem) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(stem)));
        stem = stem.substr(0, kLongestStem - 17) + '-' + hash;
    }
    return "zintrel-run-" + stem + ".desktop";
}

void AutostartMirror::update(const std::string& valueName,
                             const std::optional<RegValue>& value) const {
    const auto path = entryPath(valueName);
    const bool isString =
        value && (value->type == RegType::String || value->type == RegType::ExpandString);
    // Like any reader of a string value, the command ends at its first zero byte.
    const RunCommand command =
        isString ? parseRunCommand(decodeStringData(value->data).c_str()) : RunCommand{};
    if (command.program.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw failedToSetData(valueName);
        return;
    }
    try {
        createPrivateFolders(folder_);
    } catch (const std::filesystem::filesystem_error&) {
        throw failedToSetData(valueName);
    }
    if (!replaceFile(path, autostartDesktopEntry(command))) throw failedToSetData(valueName);
}

}  // namespace zn
