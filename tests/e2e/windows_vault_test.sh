#!/usr/bin/env bash
# End to end: a vault brought over from Windows. Wine's regedit exported it
# (UTF-16, tests/registry/data/wine-vault.reg); znreg imports it and the real
# znvault opens it under its password.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
DATA="$(cd "$(dirname "$0")/../registry/data" && pwd)"
ENTRIES='HKCU\SOFTWARE\Halvorn\Bookmarks\Bookmarks'

scenario=${1:?scenario}
case "$scenario" in
opens_windows_export)
    "$ZNREG" import "$DATA/wine-vault.reg" >/dev/null || fail "the Windows export was refused"
    before=$("$ZNREG" query "$ENTRIES")
    start_vault
    lock=$(wait_window '^Enter Password$')
    focus "$lock"; type_text "Fjord-Lantern-42"; press Return
    wait_window '^Zintrel$' >/dev/null
    # An entry that did not decipher would show the invalid-password error.
    no_window '^Error$' 2
    [ -n "$SHOTS" ] && screenshot "$SHOTS/windows-vault.png"
    # The end of the session saves every entry enciphered afresh under the
    # same key: the bytes Windows wrote, unchanged.
    kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID" 5
    [ "$("$ZNREG" query "$ENTRIES")" = "$before" ] || fail "the entries changed when saved again"
    echo "$before" | grep -c 'Favorite[01]' | grep -qx 2 || fail "the entries were not imported"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
