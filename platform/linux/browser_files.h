// What the browser readers share: the page a browser shows, the reply a
// browser would send for it, bounded file reading and the running tests.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zn {

struct BrowserPage {
    std::string url;
    std::string title;  // UTF-8; empty when the page has none
};

// The comma text a browser sends for its page: "<url>","<title>","" with each
// double quote inside doubled. A zero byte cannot travel in such a reply, so
// none is kept.
std::string browserReply(const BrowserPage& page);

// The whole file when it is a regular file of at most maxBytes; nothing
// otherwise (missing, a folder, too large, unreadable).
std::optional<std::string> readBoundedFile(const std::filesystem::path& file, std::size_t maxBytes);

// True when a process with this id exists (also one of another user).
bool processAlive(pid_t pid);

// Whether the number a browser wrote into its profile lock names a live
// browser; processAlive for a browser of this host's own process numbers.
using LockHolderAlive = std::function<bool(pid_t)>;

// One [section] of an initialisation-format file, its values in file order.
struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;

    // The first value so named, empty when there is none.
    std::string value(std::string_view key) const;
};

// The sections of such a file; blanks around names and values are dropped,
// lines starting with ";" or "#" and lines before the first section ignored.
std::vector<IniSection> parseIni(std::string_view text);

// The process id in a profile lock link's target: the digits after the last
// "+" for Firefox's "127.0.0.1:+1234", after the last "-" for Chromium's
// "host-1234". Nothing when the link is missing or names no number.
std::optional<pid_t> lockLinkPid(const std::filesystem::path& link, char separator);

}  // namespace zn
