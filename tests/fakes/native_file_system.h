// The platform's own file system and text order, so that the import's tests
// run over the real implementation on Linux and on Windows alike.
#pragma once

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_services.h"

namespace zn::testing {
using NativeFileSystem = win32::Win32FileSystem;
using NativeCollation = win32::Win32Collation;
}  // namespace zn::testing
#else
#include "platform/linux/linux_file_system.h"
#include "platform/linux/locale_collation.h"

namespace zn::testing {
using NativeFileSystem = LinuxFileSystem;
using NativeCollation = LocaleCollation;
}  // namespace zn::testing
#endif
