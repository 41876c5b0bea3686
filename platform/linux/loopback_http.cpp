#include "platform/linux/loopback_http.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "platform/linux/file_descriptor.h"

namespace zn {
namespace {

using Clock = std::chrono::steady_clock;

// Waits for the events until the deadline; false when it passed first.
bool waitFor(int descriptor, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd ready{descriptor, events, 0};
        const int result = ::poll(&ready, 1, int(left));
        if (result > 0) return true;
        if (result < 0 && errno != EINTR) return false;
    }
}

bool connectBefore(const FileDescriptor& socket, std::uint16_t port, Clock::time_point deadline) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS || !waitFor(socket.get(), POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

bool sendBefore(const FileDescriptor& socket, std::string_view request,
                Clock::time_point deadline) {
    while (!request.empty()) {
        const ssize_t sent = ::send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            request.remove_prefix(std::size_t(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && errno == EAGAIN) {
            if (!waitFor(socket.get(), POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// The Content-Length of a header block, if it gives one.
std::optional<std::size_t> contentLength(std::string_view headers) {
    constexpr std::string_view kName = "content-length:";
    for (std::size_t start = 0; start < headers.size();) {
        const std::size_t end = std::min(headers.find("\r\n", start), headers.size());
        const std::string_view line = headers.substr(start, end - start);
        start = end + 2;
        if (line.size() < kName.size()) continue;
        bool matches = true;
        for (std::size_t i = 0; i < kName.size() && matches; ++i)
            matches = char(std::tolower(static_cast<unsigned char>(line[i]))) == kName[i];
        if (!matches) continue;
        std::string_view value = line.substr(kName.size());
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        std::size_t length = 0;
        const auto [stop, error] =
            std::from_chars(value.data(), value.data() + value.size(), length);
        if (error == std::errc()) return length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> loopbackHttpGet(std::uint16_t port, const std::string& path,
                                           std::chrono::milliseconds limit, std::size_t maxBytes) {
    const auto deadline = Clock::now() + limit;
    const FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0 || !connectBefore(socket, port, deadline)) return std::nullopt;
    const std::string request = "GET " + path +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nAccept: application/json\r\nConnection: close\r\n\r\n";
    if (!sendBefore(socket, request, deadline)) return std::nullopt;

    constexpr std::size_t kMaxHeaders = 64u << 10;
    std::string answer;
    std::optional<std::size_t> bodyStart;
    std::optional<std::size_t> length;
    char buffer[16384];
    for (;;) {
        if (bodyStart && length && answer.size() - *bodyStart >= *length) break;
        if (!waitFor(socket.get(), POLLIN, deadline)) return std::nullopt;
        const ssize_t count = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) break;
        answer.append(buffer, std::size_t(count));
        if (!bodyStart) {
            const std::size_t end = answer.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (answer.size() > kMaxHeaders) return std::nullopt;
                continue;
            }
            bodyStart = end + 4;
            length = contentLength(std::string_view(answer).substr(0, end));
            if (length && *length > maxBytes) return std::nullopt;
        }
        if (answer.size() - *bodyStart > maxBytes) return std::nullopt;
    }
    // "HTTP/1.x 200" and nothing else counts.
    if (!bodyStart || answer.size() < 12 || !answer.starts_with("HTTP/1.") ||
        answer.compare(8, 4, " 200") != 0) {
        return std::nullopt;
    }
    if (length && answer.size() - *bodyStart < *length) return std::nullopt;
    return answer.substr(*bodyStart, length.value_or(std::string::npos));
}

}  // namespace zn
