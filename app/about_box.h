// The first-run about box: a quick-start guide and an OK button that offers
// the import of existing bookmarks before the box closes.
#pragma once

#include <functional>

namespace zn {

class TwAbout {
public:
    explicit TwAbout(std::function<void()> offerImport = {})
        : offerImport_(std::move(offerImport)) {}
    void BitBtn1Click() const {
        if (offerImport_) offerImport_();
    }

private:
    std::function<void()> offerImport_;
};

}  // namespace zn
