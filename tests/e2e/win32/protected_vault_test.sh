#!/usr/bin/env bash
# End to end: protected vaults between the two builds. znvault.exe's first run
# makes a protected vault in Wine's registry whose export gives nothing away;
# a protected vault made by the Linux build (data/linux_protected_vault.reg,
# exported with the Linux znreg) opens in znvault.exe under its password.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
DATA="$(cd "$(dirname "$0")/data" && pwd)"
VAULT_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks'
SAMPLE=$(printf 'https://halvorn.example/\tHalvorn\t\t')

read_entries() { wine "$BIN_DIR/e2e_read_entries.exe" "$1" 2>/dev/null | tr -d '\r'; }
is_protected() { reg_value "$VAULT_KEY" Password | grep -q '^\$zn\$'; }

scenario=${1:?scenario}
case "$scenario" in
first_run_protected)
    vault_first_run "Windows Made 2"
    # The save lands after the window shows: wait on the value itself.
    eventually 20 is_protected || fail "not a protected header: $(reg_value "$VAULT_KEY" Password)"
    eventually 20 test "$(read_entries "Windows Made 2")" = "$SAMPLE" ||
        fail "the entries read as: $(read_entries "Windows Made 2")"
    wine regedit /e "$WORK\\vault.reg" 'HKEY_CURRENT_USER\Software\Halvorn\Bookmarks' ||
        fail "the registry editor did not export the vault"
    export=$(iconv -f UTF-16LE -t UTF-8 "$WORK/vault.reg" 2>/dev/null || cat "$WORK/vault.reg")
    for text in "Windows Made 2" "halvorn.example"; do
        if echo "$export" | grep -q -i -F -- "$text"; then fail "'$text' is in the export"; fi
    done
    # The export, kept for the Linux build's test that opens it.
    [ -n "${KEEP_EXPORT:-}" ] && cp "$WORK/vault.reg" "$KEEP_EXPORT"
    [ -n "$SHOTS" ] && screenshot "$SHOTS/protected-first-run.png"
    ;;
opens_linux_protected)
    is_protected && fail "the prefix already holds a vault"
    cp "$DATA/linux_protected_vault.reg" "$WORK/linux_protected_vault.reg"
    wine regedit /s "$WORK/linux_protected_vault.reg" || fail "the registry editor refused the export"
    is_protected || fail "the Linux vault was not imported"
    [ "$(read_entries "Linux Made 2")" = "$SAMPLE" ] ||
        fail "the entries read as: $(read_entries "Linux Made 2")"
    start_vault
    lock=$(wait_window '^Enter Password$' 60)
    focus "$lock"; type_text "Linux Made 1"; press Return
    answer_box Error Return
    lock=$(wait_window '^Enter Password$' 20)
    # The wrong text stays in the field; a Win32 edit control has no Ctrl+A.
    focus "$lock"; press End; xdotool key --delay 20 --repeat 20 BackSpace
    type_text "Linux Made 2"; press Return
    wait_window '^Zintrel$' 20 >/dev/null
    no_window '^(Error|Confirm)$' 2
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
