// The system's own reader of initialisation-format files (Internet shortcuts
// among them), GetPrivateProfileStringA.
#pragma once

#include <cstddef>
#include <string>

namespace zn::win32 {

// The value of key in section of the file at path, read into a buffer of
// bufferSize characters (at most bufferSize - 1 come back); defaultValue when
// the file, the section or the key is missing. A relative path is taken from
// the current folder, not from the Windows folder as the system would.
std::string readPrivateProfileString(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& defaultValue,
                                     std::size_t bufferSize);

}  // namespace zn::win32
