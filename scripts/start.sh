#!/usr/bin/env bash
# Builds znvault and starts it on its embedded store. Without a display it
# starts a virtual one (Xvfb :99) and says how to look at it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
install_missing_packages
build_zintrel
if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:99
    if ! xdpyinfo >/dev/null 2>&1; then
        Xvfb :99 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        sleep 1
    fi
    echo "No display: znvault runs on the virtual display :99."
    echo "Look at it with:  import -display :99 -window root zintrel.png"
    echo "Drive it with:    DISPLAY=:99 xdotool key ctrl+alt+p"
fi
exec "$ROOT/build/bin/znvault" "$@"
