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
    // Whether the last request found no browser serving the service at all,
    // rather than one that ran and did not answer in time or sent nothing:
    // only then is a browser worth starting. Where that cannot be told apart,
    // every request that gave nothing counts as refused.
    virtual bool lastRequestRefused() const { return true; }
};

}  // namespace zn
