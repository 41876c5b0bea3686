#!/usr/bin/env bash
# End to end: a vault brought over from Windows. Wine's regedit exported it
# (UTF-16, tests/registry/data/wine-vault.reg); znreg imports it and the real
# znvault opens it under its password.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
DATA="$(cd "$(dirname "$0")/../registry/data" && pwd)"

scenario=${1:?scenario}
case "$scenario" in
opens_windows_export)
    "$ZNREG" import "$DATA/wine-vault.reg" >/dev/null || fail "the Windows export was refused"
    "$ZNREG" export "$ENTRIES_KEY" "$WORK/windows.reg"
    grep -c '^"Favorite[01]"=' "$WORK/windows.reg" | grep -qx 2 || fail "the entries were not imported"
    start_vault
    lock=$(wait_window '^Enter Password$')
    focus "$lock"; type_text "Fjord-Lantern-42"; press Return
    wait_window '^Zintrel$' >/dev/null
    # Kept in the old format, so the save below writes the bytes Windows wrote.
    answer_box Confirm Escape 20
    # An entry that did not decipher would show the invalid-password error.
    no_window '^Error$' 2
    [ -n "$SHOTS" ] && screenshot "$SHOTS/windows-vault.png"
    # The end of the session saves every entry enciphered afresh under the
    # same key: the bytes Windows wrote, the one taken away included.
    take_value "$ENTRIES_KEY" Favorite1
    kill -TERM "$VAULT_PID"
    wait_exit_unasked "$VAULT_PID" '^Confirm$' 5
    "$ZNREG" export "$ENTRIES_KEY" "$WORK/saved.reg"
    cmp -s "$WORK/windows.reg" "$WORK/saved.reg" ||
        fail "the entries changed when saved again: $(diff "$WORK/windows.reg" "$WORK/saved.reg")"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
