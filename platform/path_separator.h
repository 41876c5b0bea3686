// How paths are written on this platform: the separator the rules put
// between names, what ends a folder's part of a path, and how a program's file
// name ends.
#pragma once

namespace zn {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// A file name follows the last of these: "C:name" names a file on drive C.
inline constexpr const char* kFolderEnds = "\\:";
inline constexpr const char* kExecutableSuffix = ".exe";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kFolderEnds = "/";
inline constexpr const char* kExecutableSuffix = "";
#endif

// Whether a separator that follows c belongs to a folder's text and must stay
// when the folder part is taken: after another separator, and on Windows after
// a drive's colon ("D:\" is the root, "D:" the drive's current folder).
inline bool separatorStaysAfter(char c) {
#ifdef _WIN32
    return c == kPathSeparator || c == ':';
#else
    return c == kPathSeparator;
#endif
}

}  // namespace zn
