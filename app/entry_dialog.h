// The entry dialog: one bookmark's four fields, typed as they are, with no
// masking and no length limit. One instance serves Add, Edit and Paste; each
// use sets the caption and every field first.
#pragma once

#include <string>

#include "vault/record.h"

namespace zn {

class TwAdd {
public:
    std::string Caption;
    std::string Edit1;  // site
    std::string Edit2;  // description
    std::string Edit3;  // user name
    std::string Edit4;  // password

    void fill(const std::string& caption, const BookmarkEntry& entry) {
        Caption = caption;
        Edit1 = entry.site;
        Edit2 = entry.description;
        Edit3 = entry.userName;
        Edit4 = entry.password;
    }
    BookmarkEntry entry() const { return {Edit1, Edit2, Edit3, Edit4}; }
};

}  // namespace zn
