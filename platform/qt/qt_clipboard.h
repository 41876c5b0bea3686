// The desktop clipboard, text only: a picture or a file list counts as no text.
#pragma once

#include "platform/clipboard.h"

namespace zn {

class QtClipboard : public Clipboard {
public:
    bool hasText() const override;
    std::string text() const override;
    void setText(const std::string& text) override;
};

}  // namespace zn
