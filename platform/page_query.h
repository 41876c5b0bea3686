// Asking a running browser which page it shows.
#pragma once

#include <optional>
#include <string>

namespace zn {

class PageQuery {
public:
    virtual ~PageQuery() = default;
    // The reply of the browser that serves this service name ("Netscape",
    // "IExplore") for the page it shows last: comma text, the page address
    // first and its title second, exactly as a browser would send it. Nothing
    // when no such browser runs or it does not answer in time. Never raises.
    virtual std::optional<std::string> request(const std::string& service) = 0;
};

}  // namespace zn
