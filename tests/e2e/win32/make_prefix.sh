#!/usr/bin/env bash
# Makes the Wine prefix every Windows end-to-end scenario starts from a copy
# of: booting a fresh prefix takes far longer than copying one.
set -euo pipefail
TEMPLATE=${1:?the prefix folder to make}
[ -f "$TEMPLATE/system.reg" ] && exit 0
rm -rf "$TEMPLATE.partial"
export WINEPREFIX="$TEMPLATE.partial" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display: the first boot shows nothing that needs one.
DISPLAY= wineboot --init >/dev/null 2>&1
wineserver --wait
mv "$TEMPLATE.partial" "$TEMPLATE"
