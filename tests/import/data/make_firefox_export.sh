#!/usr/bin/env bash
# Remakes firefox-esr-export.html with the real browser's exporter (see README.md).
# Needs firefox-esr, Xvfb and python3; touches nothing outside a temporary folder.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'kill ${FIREFOX:-} ${SERVER:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT
mkdir -p "$WORK/profile" "$WORK/home"
cp "$HERE/firefox-esr-seed.html" "$WORK/bookmarks.html"
sed "s|@BOOKMARKS@|$WORK/bookmarks.html|" "$HERE/firefox-user.js" >"$WORK/profile/user.js"
Xvfb :77 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
SERVER=$!
sleep 1
DISPLAY=:77 HOME="$WORK/home" firefox-esr --no-remote --marionette --profile "$WORK/profile" \
    about:blank >"$WORK/firefox.log" 2>&1 &
FIREFOX=$!
sleep 15
python3 "$HERE/marionette_quit.py"
for _ in $(seq 30); do kill -0 "$FIREFOX" 2>/dev/null || break; sleep 1; done
cp "$WORK/bookmarks.html" "$HERE/firefox-esr-export.html"
echo "Written: $HERE/firefox-esr-export.html"
