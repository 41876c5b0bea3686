// A minimal HTTP client for one request to a server on this machine.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zn {

// GET path from 127.0.0.1:port (plain POSIX sockets); the body of a 200
// answer. Nothing for any other answer, a refused connection, a body above
// maxBytes, or an exchange that takes longer than the limit. The request is
// HTTP/1.1 with "Connection: close": the browsers' DevTools server refuses
// HTTP/1.0. The body ends at its Content-Length, else when the server closes.
std::optional<std::string> loopbackHttpGet(std::uint16_t port, const std::string& path,
                                           std::chrono::milliseconds limit,
                                           std::size_t maxBytes = 4u << 20);

}  // namespace zn
