#!/usr/bin/env bash
# Takes the README's screenshots of every window, under a private Xvfb.
# Run after a build: bash scripts/screenshots.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export BIN_DIR="$ROOT/build/bin"
OUT="$ROOT/docs/screenshots"
mkdir -p "$OUT"
source "$ROOT/tests/e2e/harness.sh"
start_display

# Crops a root-window shot to one window and its neighbourhood.
shot_window() {
    local id=$1 file=$2 x y w h
    eval "$(xdotool getwindowgeometry --shell "$id")"
    x=$((X - 8)); y=$((Y - 8)); w=$((WIDTH + 16)); h=$((HEIGHT + 16))
    [ $x -lt 0 ] && x=0; [ $y -lt 0 ] && y=0
    import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
}

start_vault
dialog=$(wait_window '^Enter Password Information$')
focus "$dialog"
type_text "s3cret-pass"; press Tab; type_text "s3cret-pass"
shot_window "$dialog" "$OUT/set-password.png"
press Return
about=$(wait_window '^Thanks for choosing Zintrel$')
shot_window "$about" "$OUT/about-box.png"
focus "$about"; press Return
offer=$(wait_window '^Confirm$')
focus "$offer"; press n
main=$(wait_window '^Zintrel$')
sleep 0.5
shot_window "$main" "$OUT/list-panel.png"
if focus "$main" && press alt+o && options=$(wait_window '^Options$' 3); then sleep 0.3; shot_window "$options" "$OUT/options.png"; focus "$options"; press Escape; fi
sleep 0.3
# The toggle hotkey hides the window, and shows the lock panel again.
xdotool key ctrl+alt+p
wait_gone '^Zintrel$'
xdotool key ctrl+alt+p
lock=$(wait_window '^(Enter Password|Zintrel)$')
shot_window "$lock" "$OUT/lock-panel.png"
# The setup screens, from a distribution folder of the build.
cmake --build "$ROOT/build" --target dist >/dev/null
SETUP_SHOTS="$OUT" DIST_DIR="$ROOT/build/dist" bash "$ROOT/tests/e2e/setup_test.sh" install_and_uninstall
# Both pages of the import dialog, from its end-to-end scenario.
SCREENSHOT_DIR="$OUT" bash "$ROOT/tests/e2e/import_test.sh" import_button
echo "Screenshots in $OUT"
