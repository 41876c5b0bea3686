#include "platform/linux/browser_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>

#include "platform/linux/file_descriptor.h"

namespace zn {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void appendQuoted(std::string& reply, const std::string& text) {
    reply += '"';
    for (const char character : text) {
        if (character == '\0') continue;
        if (character == '"') reply += '"';
        reply += character;
    }
    reply += '"';
}

}  // namespace

std::string browserReply(const BrowserPage& page) {
    std::string reply;
    reply.reserve(page.url.size() + page.title.size() + 10);
    appendQuoted(reply, page.url);
    reply += ',';
    appendQuoted(reply, page.title);
    reply += ",\"\"";
    return reply;
}

// O_NONBLOCK keeps a FIFO planted under the profile's name from blocking the
// open; only a regular file is read.
std::optional<std::string> readBoundedFile(const std::filesystem::path& file,
                                           std::size_t maxBytes) {
    const FileDescriptor descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (descriptor.get() < 0 || ::fstat(descriptor.get(), &status) != 0 ||
        !S_ISREG(status.st_mode) || std::size_t(status.st_size) > maxBytes) {
        return std::nullopt;
    }
    std::string content(std::size_t(status.st_size), '\0');
    std::size_t filled = 0;
    while (filled < content.size()) {
        const ssize_t count =
            ::read(descriptor.get(), content.data() + filled, content.size() - filled);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) break;  // shrank while being read: keep what was there
        filled += std::size_t(count);
    }
    content.resize(filled);
    return content;
}

bool processAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

std::optional<pid_t> lockLinkPid(const std::filesystem::path& link, char separator) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0) return std::nullopt;
    const std::string_view text(target, std::size_t(length));
    const std::size_t mark = text.rfind(separator);
    if (mark == std::string_view::npos || mark + 1 == text.size()) return std::nullopt;
    pid_t pid = 0;
    const char* first = text.data() + mark + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end != last || pid <= 0) return std::nullopt;
    return pid;
}

std::string IniSection::value(std::string_view key) const {
    for (const auto& [name, text] : values) {
        if (name == key) return text;
    }
    return {};
}

std::vector<IniSection> parseIni(std::string_view text) {
    std::vector<IniSection> sections;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back({std::string(line.substr(1, line.size() - 2)), {}});
        } else if (const auto equals = line.find('=');
                   equals != std::string_view::npos && !sections.empty()) {
            sections.back().values.emplace_back(std::string(trimmed(line.substr(0, equals))),
                                                std::string(trimmed(line.substr(equals + 1))));
        }
    }
    return sections;
}

}  // namespace zn
