# The Debian packages the Windows build and its tests need: the mingw-w64
# cross-compiler (posix threads) and Wine to run the programs; sourced by
# scripts/windows_test.sh.
ZINTREL_WINDOWS_PACKAGES=(
    cmake g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libgtest-dev wine wine64 xvfb xdotool x11-utils imagemagick
)
