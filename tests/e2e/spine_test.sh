#!/usr/bin/env bash
# End to end: first run, hidden start, lock panel, wrong and right password,
# and the end of the session by SIGTERM, against the real znvault and znreg.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}

scenario=${1:?scenario}
case "$scenario" in
first_run)
    first_run "s3cret-pass"
    reg_value 'HKCU\SOFTWARE\Halvorn\Bookmarks' Password | grep -q 'Password' || fail "no verifier stored"
    reg_value 'HKCU\SOFTWARE\Halvorn\Bookmarks\Bookmarks' Favorite0 >/dev/null || fail "no sample row stored"
    reg_value 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' Bookmarks | grep -q -- "$ZNVAULT /S" ||
        fail "no autostart value"
    [ -f "$XDG_CONFIG_HOME/autostart/zintrel-run-bookmarks.desktop" ] || fail "no autostart entry"
    # The store holds the verifier of the typed password, byte for byte.
    "$ZNREG" export 'HKCU\SOFTWARE\Halvorn\Bookmarks' "$WORK/vault.reg"
    grep -q '^"Password"=' "$WORK/vault.reg" || fail "verifier missing from the export"
    ;;
hidden_start)
    first_run "s3cret-pass"
    kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID"
    start_vault /s
    no_window '^(Enter Password|Zintrel)$' 3
    kill -0 "$VAULT_PID" || fail "znvault /s ended"
    ;;
unlock)
    first_run "s3cret-pass"
    kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID"
    start_vault
    lock=$(wait_window '^Enter Password$')
    [ -n "$SHOTS" ] && screenshot "$SHOTS/lock-panel.png"
    focus "$lock"; type_text "wrong-pass"; press Return
    error=$(wait_window '^Error$')
    focus "$error"; press Return
    wait_gone '^Error$'
    lock=$(wait_window '^Enter Password$')
    focus "$lock"; press ctrl+a BackSpace; type_text "s3cret-pass"; press Return
    wait_window '^Zintrel$' >/dev/null
    wait_gone '^Enter Password$'
    [ -n "$SHOTS" ] && screenshot "$SHOTS/list-panel.png"
    ;;
sigterm)
    first_run "s3cret-pass"
    # Every save seals each entry afresh: what must come back is what they hold.
    before=$("$BIN_DIR/e2e_read_entries" "s3cret-pass") || fail "the entries do not read"
    take_value "$ENTRIES_KEY" Favorite0
    kill -TERM "$VAULT_PID"
    wait_exit_unasked "$VAULT_PID" '^Confirm$' 5
    after=$("$BIN_DIR/e2e_read_entries" "s3cret-pass") || fail "the entries do not read after the end"
    [ "$before" = "$after" ] || fail "the end of the session did not save the entries: $after"
    ;;
sigterm_during_question)
    first_run "s3cret-pass"
    main=$(wait_window '^Zintrel$')
    ask_to_close "$main" >/dev/null
    before=$("$BIN_DIR/e2e_read_entries" "s3cret-pass") || fail "the entries do not read"
    take_value "$ENTRIES_KEY" Favorite0
    kill -TERM "$VAULT_PID"
    wait_exit "$VAULT_PID" 5
    after=$("$BIN_DIR/e2e_read_entries" "s3cret-pass") || fail "the entries do not read after the end"
    [ "$before" = "$after" ] || fail "the end of the session did not save the entries: $after"
    ;;
close_question)
    first_run "s3cret-pass"
    main=$(wait_window '^Zintrel$')
    focus "$main"
    confirm=$(ask_to_close "$main")
    focus "$confirm"; press n
    wait_gone '^Confirm$'
    kill -0 "$VAULT_PID" || fail "No did not keep the program running"
    confirm=$(ask_to_close "$main")
    focus "$confirm"; press y
    wait_exit "$VAULT_PID" 5
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
