#!/usr/bin/env bash
# End to end: the options dialog through the real window, read back with znreg,
# and a changed hotkey that takes effect at once.
source "$(dirname "$0")/harness.sh"
start_display
VAULT_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks'

open_options() {
    local main
    main=$(wait_window '^Zintrel$')
    focus "$main"
    press alt+o
    wait_window '^Options$'
}

value_is() { reg_value "$VAULT_KEY" "$1" | grep -q -- "$2"; }

scenario=${1:?scenario}
case "$scenario" in
ok_writes_settings)
    first_run "s3cret-pass"
    options=$(open_options)
    focus "$options"; press Return
    wait_gone '^Options$'
    eventually 3 value_is ShowUser 'REG_DWORD *0x1' || fail "ShowUser was not written"
    value_is ActivateKey 'Ctrl+Alt+P' || fail "ActivateKey was not written"
    value_is FavoriteKey 'Ctrl+Alt+B' || fail "FavoriteKey was not written"
    value_is Messages 'REG_DWORD *0x1' || fail "Messages was not written"
    value_is KeepPass 'REG_DWORD *0x1' || fail "KeepPass was not written"
    value_is Icon 'REG_DWORD *0x0' || fail "Icon was not written"
    ;;
changed_hotkey)
    first_run "s3cret-pass"
    options=$(open_options)
    focus "$options"
    # The first field takes the combination as it is pressed.
    press ctrl+alt+k
    press Return
    wait_gone '^Options$'
    eventually 3 value_is ActivateKey 'Ctrl+Alt+K' || fail "the new hotkey was not stored"
    xdotool key ctrl+alt+k
    wait_gone '^Zintrel$'
    xdotool key ctrl+alt+k
    wait_window '^(Enter Password|Zintrel)$' >/dev/null
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
