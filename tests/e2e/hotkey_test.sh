#!/usr/bin/env bash
# End to end: the toggle hotkey shows and hides a vault started hidden, with
# NumLock on too, and keeps acting on the first copy when a second one runs.
source "$(dirname "$0")/harness.sh"
start_display

# visible_of PID: the visible windows of that process.
visible_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }

# wait_shown_of PID yes|no: until the process shows a window, or shows none.
wait_shown_of() {
    local deadline=$((SECONDS + 10)) shown
    while [ $SECONDS -lt $deadline ]; do
        shown=no
        [ -n "$(visible_of "$1")" ] && shown=yes
        [ "$shown" = "$2" ] && return 0
        sleep 0.1
    done
    fail "process $1: window shown is not '$2'"
}

# toggle_taken: some client holds Ctrl+Alt+P (Control is mask 4, Alt 8).
TOGGLE_KEYCODE=$(xmodmap -pke | awk '$4 == "p" && !found { print $2; found = 1 }')
toggle_taken() { "$BIN_DIR/e2e_key_taken" "$TOGGLE_KEYCODE" 12; }

# start_hidden: a copy started with /S, once it holds its hotkey.
start_hidden() {
    start_vault /S
    wait_for 10 "znvault to take its hotkey" toggle_taken
}

shows_nothing() { [ -z "$(visible_of "$1")" ]; }

toggle_twice() {
    xdotool key ctrl+alt+p
    wait_window '^Enter Password$' >/dev/null
    wait_shown_of "$1" yes
    xdotool key ctrl+alt+p
    wait_shown_of "$1" no
}

first_run "s3cret-pass"
kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID"

scenario=${1:?scenario}
case "$scenario" in
toggle)
    start_hidden
    first=$VAULT_PID
    no_window '^(Enter Password|Zintrel)$' 2
    toggle_twice "$first"
    ;;
numlock)
    start_hidden
    first=$VAULT_PID
    xdotool key Num_Lock
    xset q | grep -q 'Num Lock: *on' || fail "NumLock did not switch on"
    toggle_twice "$first"
    ;;
second_copy)
    start_hidden
    first=$VAULT_PID
    start_vault /S
    second=$VAULT_PID
    # The hotkey is taken already, so nothing outside shows when the second
    # copy has tried for it: its window exists at once, its settings and
    # hotkeys are read half a second later; it is watched a second past that.
    wait_for 10 "the second copy's window" xdotool search --pid "$second" --name '^Zintrel$'
    holds 1 "the second copy to keep running" kill -0 "$second"
    xdotool key ctrl+alt+p
    wait_shown_of "$first" yes
    # Between the presses: the first copy shows, the second nothing.
    holds 1 "the hotkey to miss the second copy" shows_nothing "$second"
    xdotool key ctrl+alt+p
    wait_shown_of "$first" no
    holds 1 "the hotkey to miss the second copy" shows_nothing "$second"
    kill -0 "$second" || fail "the second copy did not keep running"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
