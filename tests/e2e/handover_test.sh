#!/usr/bin/env bash
# End to end: "znvault --toggle" and "znvault --capture" hand their action to
# the copy already running and end at once; with none running they start one.
source "$(dirname "$0")/harness.sh"
start_display

SOCKET="$XDG_RUNTIME_DIR/zintrel/znvault.socket"

# hand_over OPTION: runs the command, which must end with 0 well within a second.
hand_over() {
    local started status=0
    started=$(now_ms)
    "$ZNVAULT" "$1" >"$WORK/handover.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$WORK/handover.log" >&2; fail "znvault $1 ended with $status"; }
    [ $(($(now_ms) - started)) -lt 1000 ] || fail "znvault $1 took $(($(now_ms) - started)) ms"
}

# copies: how many znvault processes of this build run.
copies() {
    local pid count=0
    for pid in $(pgrep -x znvault); do
        [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$(readlink -f "$ZNVAULT")" ] && count=$((count + 1))
    done
    echo "$count"
}

shows() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
hides() { ! shows "$1"; }
either_ended() { ! kill -0 "$1" 2>/dev/null || ! kill -0 "$2" 2>/dev/null; }
visible_count() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# start_listening: a copy started hidden, once its socket takes hand-overs.
start_listening() {
    start_vault /S
    wait_for 10 "the copy's socket" test -S "$SOCKET"
}

first_run "s3cret-pass"
kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID"

scenario=${1:?scenario}
case "$scenario" in
toggle)
    start_listening
    hand_over --toggle
    within_ms 1000 "the lock panel" shows '^Enter Password$'
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    hand_over --toggle
    within_ms 1000 "hiding the window" hides '^Enter Password$'
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    kill -0 "$VAULT_PID" || fail "the running copy ended"
    ;;
capture_before_unlock)
    start_listening
    hand_over --capture
    # Not unlocked yet in this run: the capture warns first, as its hotkey does.
    within_ms 1000 "the password warning" shows '^Warning$'
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    answer_box Warning Return
    wait_window '^Enter Password$' >/dev/null
    ;;
flood_during_dialog)
    start_listening
    hand_over --capture
    within_ms 1000 "the password warning" shows '^Warning$'
    # While the warning is open every further capture is refused, as a
    # hotkey's would be, and every command still ends at once.
    for _ in $(seq 20); do hand_over --capture; done
    holds 1 "a single warning" test "$(visible_count '^Warning$')" -eq 1
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    answer_box Warning Return
    wait_window '^Enter Password$' >/dev/null
    no_window '^Warning$' 1
    ;;
no_copy)
    # A copy killed outright leaves its socket behind; it must not stop the next start.
    start_listening
    kill -KILL "$VAULT_PID"; wait_exit "$VAULT_PID"
    test -S "$SOCKET" || fail "the killed copy left no socket to test with"
    "$ZNVAULT" --toggle >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
    wait_window '^Enter Password$' >/dev/null
    kill -0 "$VAULT_PID" || fail "the started copy did not keep running"
    # It now takes the hand-overs itself.
    hand_over --toggle
    within_ms 1000 "hiding the window" hides '^Enter Password$'
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    ;;
capture_no_copy)
    "$ZNVAULT" --capture >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
    answer_box Warning Return
    wait_window '^Enter Password$' >/dev/null
    kill -0 "$VAULT_PID" || fail "the started copy did not keep running"
    ;;
simultaneous_toggles)
    # Two commands at the same moment with no copy running: one starts the
    # copy, the other waits for it to listen and hands its action over.
    for round in $(seq 10); do
        "$ZNVAULT" --toggle >"$WORK/first.log" 2>&1 &
        first=$!
        "$ZNVAULT" --toggle >"$WORK/second.log" 2>&1 &
        second=$!
        PIDS+=("$first" "$second")
        eventually 10 either_ended "$first" "$second" || fail "round $round: both started a copy"
        if kill -0 "$first" 2>/dev/null; then ended=$second copy=$first; else ended=$first copy=$second; fi
        status=0
        wait "$ended" || status=$?
        [ "$status" -eq 0 ] || fail "round $round: the handing command ended with $status"
        [ "$(copies)" -eq 1 ] || fail "round $round: $(copies) copies run"
        kill -TERM "$copy"; wait_exit "$copy"
    done
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
