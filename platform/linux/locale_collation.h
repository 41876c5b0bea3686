// Text order and case-blind equality from the C library's locale (LC_COLLATE
// and LC_CTYPE of the user's environment).
#pragma once

#include <locale.h>

#include "platform/text_collation.h"

namespace zn {

class LocaleCollation : public TextCollation {
public:
    LocaleCollation();
    ~LocaleCollation() override;
    LocaleCollation(const LocaleCollation&) = delete;
    LocaleCollation& operator=(const LocaleCollation&) = delete;

    std::string sortKey(const std::string& text) const override;
    std::string sortKeyIgnoringCase(const std::string& text) const override;
    void appendSortKeyIgnoringCase(std::string_view text, std::string& keys) const override;
    bool equalIgnoringCase(const std::string& a, const std::string& b) const override;

private:
    locale_t locale_;
    // The locale orders texts by their characters' code points (C, POSIX,
    // C.UTF-8): keys are then the texts themselves, lower-cased for the
    // order that ignores case, with no transformation to pay for.
    bool codePointOrder_ = false;
};

}  // namespace zn
