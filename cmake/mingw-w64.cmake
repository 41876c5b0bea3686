# Cross-compiles the Windows programs with Debian's mingw-w64 (posix threads,
# for std::thread and std::mutex). The runtime is linked statically, so each
# .exe runs on a bare Windows, or under Wine, with no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZINTREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZINTREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZINTREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZINTREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZINTREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine.
find_program(ZINTREL_WINE NAMES wine wine64)
if(ZINTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZINTREL_WINE})
endif()
