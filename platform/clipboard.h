// Plain-text clipboard.
#pragma once

#include <string>

namespace zn {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool hasText() const = 0;
    // Both raise a runtime_error when the clipboard cannot be used, for
    // example while another program holds it open.
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

}  // namespace zn
