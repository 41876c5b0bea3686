#!/usr/bin/env bash
# End to end: "znvault.exe --toggle" under Wine hands the action to the
# running copy's application window and ends with 0, leaving one copy.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=

copies() { wine tasklist 2>/dev/null | tr -d '\r' | grep -ci '^znvault\.exe' || true; }
shows() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
hides() { ! shows "$1"; }

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
    [ "$(copies)" -eq 1 ] || fail "$(copies) copies run"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
