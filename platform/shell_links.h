// Shortcuts to programs and documents. On Windows these are shell-link files;
// here they are desktop entries, which the desktop shows with the name the
// link's file name gives them.
#pragma once

#include <string>

namespace zn {

// How a link's file name ends; the rules build link paths with it.
#ifdef _WIN32
inline constexpr const char* kLinkExtension = ".lnk";
#else
inline constexpr const char* kLinkExtension = ".desktop";
#endif

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // Writes a link to the target at linkPath, replacing one there. Raises
    // when links cannot be made at all; a link file that cannot be written
    // is not reported.
    virtual void createLink(const std::string& target, const std::string& linkPath) = 0;
    // Gives a link a new file name, and with it its shown name. Nothing
    // happens when the link is missing or the new name is taken.
    virtual void renameLink(const std::string& from, const std::string& to) = 0;
    // Tells the desktop that the user chose this link, so that it starts it
    // without asking first, where a desktop asks. Silent when it cannot.
    virtual void markTrusted(const std::string& /*linkPath*/) {}
};

}  // namespace zn
