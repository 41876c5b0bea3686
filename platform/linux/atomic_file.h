// Replacing a file's whole content so that a reader sees the old content or
// the new, never a mixture: the text goes to a temporary file in the same
// folder, which then takes the file's place in one rename.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace zn {

// False on failure, with the file untouched and no temporary file left.
bool replaceFileAtomically(const std::filesystem::path& target, const std::string& text,
                           mode_t mode);

}  // namespace zn
