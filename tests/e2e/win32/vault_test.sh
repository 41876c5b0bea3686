#!/usr/bin/env bash
# End to end: znvault.exe under Wine. A first run typed with xdotool leaves
# the verifier, the sample row and the autostart value in Wine's registry; the
# toggle hotkey hides the window and brings it back with the lock panel.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
VAULT_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks'

# Wine sees a key only when one of its windows has the keyboard focus; once
# the vault hides, none has, and the hotkey that should bring it back would
# never reach Wine. A Wine desktop window keeps the focus whatever shows in it.
start_vault_on_desktop() {
    wine explorer /desktop=zintrel,1024x768 "$ZNVAULT" "$@" >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
}

scenario=${1:?scenario}
case "$scenario" in
first_run)
    vault_first_run "s3cret-pass"
    [ -n "$SHOTS" ] && screenshot "$SHOTS/list-panel.png"
    # A protected vault's header, never the password.
    verifier=$(reg_value "$VAULT_KEY" Password) || fail "no verifier stored"
    case "$verifier" in *'$zn$'*) ;; *) fail "not a protected header: '$verifier'" ;; esac
    case "$verifier" in *s3cret-pass*) fail "the password is in the store" ;; esac
    reg_value "$VAULT_KEY\\Bookmarks" Favorite0 >/dev/null || fail "no sample row stored"
    run=$(reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' Bookmarks) ||
        fail "no autostart value"
    echo "$run" | grep -qi 'znvault\.exe /S$' || fail "a wrong autostart command: $run"
    ;;
hotkey_lock)
    START=start_vault_on_desktop vault_first_run "s3cret-pass"
    desktop=$(wait_window 'Wine desktop$')
    focus "$desktop"
    press ctrl+alt+p
    wait_gone '^Zintrel$'
    press ctrl+alt+p
    wait_window '^Enter Password$' >/dev/null
    [ -n "$SHOTS" ] && screenshot "$SHOTS/lock-panel.png"
    type_text "s3cret-pass"; press Return
    wait_window '^Zintrel$' >/dev/null
    wait_gone '^Enter Password$'
    ;;
session_end)
    vault_first_run "s3cret-pass"
    # Every save seals each entry afresh: what must come back is what they hold.
    before=$(wine "$BIN_DIR/e2e_read_entries.exe" "s3cret-pass" | tr -d '\r')
    [ -n "$before" ] || fail "the entries do not read"
    # Taken away behind the program's back: only a save at the end brings it back.
    wine reg delete "$VAULT_KEY\\Bookmarks" /v Favorite0 /f >/dev/null 2>&1
    reg_value "$VAULT_KEY\\Bookmarks" Favorite0 >/dev/null && fail "the row could not be taken away"
    # Wine's end of the session asks every window, then tells it the session
    # ends; its boot program would also start what the Run key names.
    wine reg delete 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Bookmarks /f >/dev/null 2>&1
    wine wineboot --end-session >/dev/null 2>&1 </dev/null &
    ending=$!
    PIDS+=("$ending")
    wait_program_gone znvault.exe 20
    no_window '^Confirm$' 1
    # The registry answers again once the end of the session is over.
    wait_exit "$ending" 20
    after=$(wine "$BIN_DIR/e2e_read_entries.exe" "s3cret-pass" | tr -d '\r')
    [ "$after" = "$before" ] || fail "the entries were not saved at the end: $after"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
