#!/usr/bin/env bash
# End to end: a vault made by the Linux build (data/linux_vault.reg, exported
# with the Linux znreg) goes into Wine's registry through the registry
# editor, and the Windows znvault.exe opens it under the same password.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
DATA="$(cd "$(dirname "$0")/data" && pwd)"
ENTRIES='HKCU\SOFTWARE\Halvorn\Bookmarks\Bookmarks'
PASSWORD="Linux Made 1"

scenario=${1:?scenario}
case "$scenario" in
opens_linux_export)
    cp "$DATA/linux_vault.reg" "$WORK/linux_vault.reg"
    wine regedit /s "$WORK/linux_vault.reg" || fail "the registry editor refused the Linux export"
    before=$(reg_query "$ENTRIES")
    echo "$before" | grep -q Favorite0 || fail "the entries were not imported"
    # The same bytes decipher under the same password on Windows.
    entries=$(wine "$BIN_DIR/e2e_read_entries.exe" "$PASSWORD" | tr -d '\r')
    [ "$entries" = "$(printf 'https://halvorn.example/\tHalvorn\t\t')" ] ||
        fail "the entries read back as: $entries"
    start_vault
    lock=$(wait_window '^Enter Password$' 60)
    focus "$lock"; type_text "$PASSWORD"; press Return
    wait_window '^Zintrel$' 20 >/dev/null
    # An entry that did not decipher would show the invalid-password error.
    no_window '^Error$' 2
    [ -n "$SHOTS" ] && screenshot "$SHOTS/linux-vault-on-windows.png"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
