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
    start_vault /S
    first=$VAULT_PID
    no_window '^(Enter Password|Zintrel)$' 2
    toggle_twice "$first"
    ;;
numlock)
    start_vault /S
    first=$VAULT_PID
    sleep 1.5
    xdotool key Num_Lock
    xset q | grep -q 'Num Lock: *on' || fail "NumLock did not switch on"
    toggle_twice "$first"
    ;;
second_copy)
    start_vault /S
    first=$VAULT_PID
    sleep 1.5
    start_vault /S
    second=$VAULT_PID
    sleep 1.5
    kill -0 "$second" || fail "the second copy did not keep running"
    toggle_twice "$first"
    [ -z "$(visible_of "$second")" ] || fail "the hotkey reached the second copy"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
