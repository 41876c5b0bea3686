# The Debian packages the Windows build and its tests need: the mingw-w64
# cross-compiler (posix threads) and Wine to run the programs; sourced by
# scripts/windows_test.sh.
ZINTREL_WINDOWS_PACKAGES=(
    cmake g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-x86-64-dev libgtest-dev
    wine wine64 fonts-wine
    # What Wine's X11 driver loads when it finds it (recommended, not required, by Wine)
    libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1
    xvfb xdotool x11-utils imagemagick
)
