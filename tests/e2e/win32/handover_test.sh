#!/usr/bin/env bash
# End to end: "znvault.exe --toggle" and "--capture" under Wine hand their
# action to the running copy's application window and end with 0, leaving
# one copy; the copy acts at once, as on its own hotkey.
#   toggle:                the list hides, and the next toggle brings the lock panel.
#   capture_before_unlock: a copy started hidden, not unlocked yet, warns first.
#   simultaneous_toggles:  two commands at the same moment with no copy running
#                          start one copy, and the other command hands over to it.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=

# Every program of the prefix runs in one Wine desktop. On a display with no
# window manager Wine's own driver holds each hide of a framed window for two
# seconds, waiting for a manager to take it; a desktop's windows are Wine's own.
# The commands must run in the copy's desktop too, or they would not see its window.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
# The desktop is chosen when Wine's server starts.
wineserver -k 2>/dev/null || true
wineserver -w

copies() { wine_process_count znvault.exe; }
one_copy() { [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"; }
shows() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
hides() { ! shows "$1"; }
# A hidden copy has its (never mapped) windows once it can be found.
has_windows() { xdotool search --name "$1" >/dev/null 2>&1; }

# end_copies: ends every copy of the scenario and waits for them to go.
end_copies() {
    local pid
    for pid in "$@"; do kill "$pid" 2>/dev/null || true; done
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
    eventually 10 test "$(copies)" -eq 0 || fail "$(copies) copies did not end"
}
either_ended() { ! kill -0 "$1" 2>/dev/null || ! kill -0 "$2" 2>/dev/null; }

# hand_over OPTION: the command must end with 0 (Wine's start-up alone takes a while).
hand_over() {
    local status=0
    timeout 30 wine "$ZNVAULT" "$1" >"$WORK/handover.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$WORK/handover.log" >&2; fail "znvault.exe $1 ended with $status"; }
}

scenario=${1:?scenario}
case "$scenario" in
toggle)
    vault_first_run "s3cret-pass"
    hand_over --toggle
    within_ms 1000 "hiding the list" hides '^Zintrel$'
    hand_over --toggle
    within_ms 1000 "the lock panel" shows '^Enter Password$'
    one_copy
    ;;
capture_before_unlock)
    vault_first_run "s3cret-pass"
    end_copies "$VAULT_PID"
    start_vault /S
    eventually 30 has_windows '^Zintrel$' || fail "the hidden copy has no window"
    hand_over --capture
    # Not unlocked yet in this run: the capture warns first, as its hotkey does.
    within_ms 1000 "the password warning" shows '^Warning$'
    one_copy
    answer_box Warning Return
    wait_window '^Enter Password$' >/dev/null
    ;;
simultaneous_toggles)
    vault_first_run "s3cret-pass"
    end_copies "$VAULT_PID"
    for round in 1 2 3; do
        wine "$ZNVAULT" --toggle >"$WORK/first.log" 2>&1 &
        first=$!
        wine "$ZNVAULT" --toggle >"$WORK/second.log" 2>&1 &
        second=$!
        PIDS+=("$first" "$second")
        eventually 30 either_ended "$first" "$second" || fail "round $round: both started a copy"
        if kill -0 "$first" 2>/dev/null; then ended=$second copy=$first; else ended=$first copy=$second; fi
        status=0
        wait "$ended" || status=$?
        [ "$status" -eq 0 ] || fail "round $round: the handing command ended with $status"
        one_copy
        end_copies "$copy"
    done
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
