#!/bin/bash
# Makes recovery.jsonlz4 and Session_<time> in this folder again with the real
# Debian browsers (firefox-esr, chromium) under Xvfb, as README.md describes.
# Needs Xvfb, xdotool, python3, firefox-esr and chromium; nothing leaves 127.0.0.1.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
PORT=18765
PIDS=()
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    sleep 1
    rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/site"
cat >"$WORK/site/index.html" <<'HTML'
<!doctype html>
<html><head><meta charset="utf-8"><title>Zintrel "quoted" café ✓</title></head>
<body><p>A page for the browser readers.</p><p><a href="second.html">second</a></p></body></html>
HTML
cat >"$WORK/site/second.html" <<'HTML'
<!doctype html>
<html><head><meta charset="utf-8"><title>Second page, with a comma</title></head><body>Two</body></html>
HTML
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$WORK/site" >/dev/null 2>&1 &
PIDS+=($!)

NUMBER=90
while [ -e "/tmp/.X11-unix/X$NUMBER" ]; do NUMBER=$((NUMBER + 1)); done
Xvfb ":$NUMBER" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
PIDS+=($!)
export DISPLAY=":$NUMBER"
sleep 2

type_address() {  # into the focused browser's address bar; Delete drops the completion
    xdotool key ctrl+l; sleep 1
    xdotool type --delay 30 "$1"; sleep 0.5
    xdotool key Delete Return; sleep 3
}

# Firefox: a fresh profile with a 1 s session interval. Tab 1 follows the link to
# second.html; tab 2 goes index.html -> second.html and back, and stays selected.
mkdir -p "$WORK/firefox"
cp "$HERE/../../e2e/firefox_test_prefs.js" "$WORK/firefox/user.js"
HOME="$WORK" firefox-esr --no-remote --profile "$WORK/firefox" "http://127.0.0.1:$PORT/index.html" \
    >/dev/null 2>&1 &
FIREFOX=$!
PIDS+=($FIREFOX)
WINDOW=$(timeout 90 xdotool search --sync --name 'Zintrel' | head -1)
sleep 3
xdotool windowfocus "$WINDOW"; sleep 1
xdotool mousemove 36 145 click 1; sleep 3          # the "second" link
xdotool key ctrl+t; sleep 2
type_address "http://127.0.0.1:$PORT/index.html"
type_address "http://127.0.0.1:$PORT/second.html"
xdotool key alt+Left; sleep 5
cp "$WORK/firefox/sessionstore-backups/recovery.jsonlz4" "$HERE/recovery.jsonlz4"
kill "$FIREFOX"

# Chromium: a stock browser (no debugging flag), the same two tabs.
HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" chromium --no-sandbox --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --disable-gpu \
    --disable-quic "http://127.0.0.1:$PORT/second.html" >/dev/null 2>&1 &
PIDS+=($!)
WINDOW=$(timeout 90 xdotool search --sync --name 'Second page' | head -1)
sleep 3
xdotool windowfocus "$WINDOW"; sleep 1
xdotool key ctrl+t; sleep 2
type_address "http://127.0.0.1:$PORT/index.html"
type_address "http://127.0.0.1:$PORT/second.html"
xdotool key alt+Left; sleep 8
rm -f "$HERE"/Session_*
cp "$(ls "$WORK"/config/chromium/Default/Sessions/Session_* | tail -1)" "$HERE/"
chmod 644 "$HERE"/Session_* "$HERE/recovery.jsonlz4"
ls -l "$HERE"
