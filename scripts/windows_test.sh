#!/usr/bin/env bash
# Cross-compiles the Windows programs with mingw-w64 into build-win/ and runs
# their tests under Wine, in a Wine prefix of the build's own.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/windows_packages.sh"
ZINTREL_PACKAGES=("${ZINTREL_WINDOWS_PACKAGES[@]}")
install_missing_packages
cmake -S "$ROOT" -B "$ROOT/build-win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$ROOT/build-win" -j"$(nproc)"
# Each test names its own Wine prefix, made by the tests themselves.
export WINEDEBUG=-all
cd "$ROOT/build-win"
ctest --output-on-failure
