#include "platform/linux/flatpak_sandboxes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <optional>
#include <system_error>

#include "platform/linux/file_descriptor.h"
#include "platform/linux/json_reader.h"

namespace zn {
namespace {

// An instance's info and bwrapinfo.json, and a process's status, are a few
// kilobytes; anything larger is not what Flatpak or the kernel wrote.
constexpr std::size_t kMaxSmallFile = 64u << 10;

// The whole of a small regular file. The kernel's process files report no
// size, so this reads to the end rather than trusting the size stat gives.
std::optional<std::string> readSmallFile(const std::filesystem::path& file) {
    const FileDescriptor descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (descriptor.get() < 0 || ::fstat(descriptor.get(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(descriptor.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) return content;
        content.append(buffer, std::size_t(count));
        if (content.size() > kMaxSmallFile) return std::nullopt;
    }
}

std::string linkTarget(const std::filesystem::path& link) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    return length > 0 ? std::string(target, std::size_t(length)) : std::string();
}

std::optional<pid_t> processNumber(std::string_view text) {
    pid_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number <= 0)
        return std::nullopt;
    return number;
}

// The number a process has in the innermost namespace it belongs to.
std::optional<pid_t> innermostNumber(std::string_view status) {
    constexpr std::string_view kField = "NSpid:";
    std::size_t at = status.starts_with(kField) ? 0 : status.find(std::string("\n").append(kField));
    if (at == std::string_view::npos) return std::nullopt;
    at = status.find(':', at) + 1;
    std::string_view line = status.substr(at, status.find('\n', at) - at);
    const auto end = line.find_last_not_of(" \t");
    if (end == std::string_view::npos) return std::nullopt;
    line = line.substr(0, end + 1);
    return processNumber(line.substr(line.find_last_of(" \t") + 1));
}

}  // namespace

std::vector<std::string> flatpakNamespaces(const ProcessFolders& folders, std::string_view app) {
    std::vector<std::string> namespaces;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folders.runtimeDir / ".flatpak", error), end;
         !error && entry != end; entry.increment(error)) {
        const auto info = readSmallFile(entry->path() / "info");
        bool named = false;
        for (const auto& section : info ? parseIni(*info) : std::vector<IniSection>()) {
            named = named || (section.name == "Application" && section.value("name") == app);
        }
        if (!named) continue;
        const auto bwrapInfo = readSmallFile(entry->path() / "bwrapinfo.json");
        const auto json = bwrapInfo ? JsonText::read(*bwrapInfo) : std::nullopt;
        const auto child =
            json ? jsonInteger(json->members(json->value(), {"child-pid"})[0]) : std::nullopt;
        if (!child || *child <= 0 || *child > INT32_MAX) continue;
        std::string space = linkTarget(folders.proc / std::to_string(*child) / "ns" / "pid");
        if (!space.empty()) namespaces.push_back(std::move(space));
    }
    return namespaces;
}

bool processInNamespaces(const std::filesystem::path& proc,
                         const std::vector<std::string>& namespaces, pid_t numberInside) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(proc, error), end; !error && entry != end;
         entry.increment(error)) {
        if (!processNumber(entry->path().filename().string())) continue;
        const std::string space = linkTarget(entry->path() / "ns" / "pid");
        bool inside = false;
        for (const auto& wanted : namespaces)
            inside = inside || (!space.empty() && space == wanted);
        if (!inside) continue;
        const auto status = readSmallFile(entry->path() / "status");
        if (status && innermostNumber(*status) == numberInside) return true;
    }
    return false;
}

LockHolderAlive lockHolderCheck(const ProcessFolders& folders, std::string_view flatpakApp) {
    if (flatpakApp.empty()) return processAlive;
    return [folders, app = std::string(flatpakApp)](pid_t number) {
        const auto namespaces = flatpakNamespaces(folders, app);
        return namespaces.empty() ? processAlive(number)
                                  : processInNamespaces(folders.proc, namespaces, number);
    };
}

}  // namespace zn
