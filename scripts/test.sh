#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test: the unit
# and view tests, the end-to-end tests of the real programs under Xvfb, and
# then the same for the Windows programs, cross-compiled and run under Wine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
install_missing_packages
build_zintrel -DZINTREL_WERROR=ON
cd "$ROOT/build"
ctest --output-on-failure -j2
bash "$ROOT/scripts/windows_test.sh" -DZINTREL_WERROR=ON
