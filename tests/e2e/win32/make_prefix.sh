#!/usr/bin/env bash
# Makes a Wine prefix: the one every Windows end-to-end scenario starts from
# a copy of (booting a fresh prefix takes far longer than copying one), or,
# given "headless", the one the unit tests run in, whose windows need no
# display (Wine's null graphics driver).
set -euo pipefail
TEMPLATE=${1:?the prefix folder to make}
MODE=${2:-display}
[ -f "$TEMPLATE/system.reg" ] && exit 0
rm -rf "$TEMPLATE.partial"
export WINEPREFIX="$TEMPLATE.partial" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display: the first boot shows nothing that needs one.
DISPLAY= wineboot --init >/dev/null 2>&1
if [ "$MODE" = headless ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
fi
wineserver --kill
wineserver --wait
mv "$TEMPLATE.partial" "$TEMPLATE"
