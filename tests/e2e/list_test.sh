#!/usr/bin/env bash
# End to end: the list panel's Add and Remove through the real windows, read
# back from the store as the program loads it; optionally the screenshots for
# the README.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
PASSWORD="s3cret-pass"
SAMPLE=$(row "https://halvorn.example/" "Halvorn" "" "")

# Places inside the list panel (client pixels; the panel has a fixed size):
# the first row of the list and the first two buttons of the bottom bar.
FIRST_ROW=(100 86)
ADD_BUTTON=(46 304)
REMOVE_BUTTON=(136 304)

stored_are() { stored_entries_are "$PASSWORD" "$@"; }

# add_entry MAIN SITE DESCRIPTION USER PASSWORD: through the Add button and the dialog.
add_entry() {
    local main=$1 dialog
    click_at "$main" "${ADD_BUTTON[@]}"
    dialog=$(wait_window '^New Bookmark$')
    focus "$dialog"
    type_text "$2"; press Tab; type_text "$3"; press Tab; type_text "$4"; press Tab; type_text "$5"
    [ -n "$SHOTS" ] && [ "$scenario" = add ] && screenshot "$SHOTS/entry-dialog.png"
    press Return
    wait_gone '^New Bookmark$'
}

scenario=${1:?scenario}
case "$scenario" in
add)
    first_run "$PASSWORD"
    main=$(wait_window '^Zintrel$')
    stored_are "$SAMPLE" || fail "the sample row is not the only entry: $(stored_entries "$PASSWORD")"
    add_entry "$main" "https://mail.example/login?a=1;b=2" "Mail" "me@mail.example" "pa ss'word"
    # Saved at once, not at the end of the run, each field as typed.
    added=$(row "https://mail.example/login?a=1;b=2" "Mail" "me@mail.example" "pa ss'word")
    eventually 3 stored_are "$SAMPLE" "$added" ||
        fail "the new entry was not saved at once: $(stored_entries "$PASSWORD")"
    kill -0 "$VAULT_PID" || fail "znvault ended"
    ;;
cancel)
    first_run "$PASSWORD"
    main=$(wait_window '^Zintrel$')
    before=$("$ZNREG" query "$ENTRIES_KEY")
    click_at "$main" "${ADD_BUTTON[@]}"
    dialog=$(wait_window '^New Bookmark$')
    focus "$dialog"; type_text "https://never.example"; press Escape
    wait_gone '^New Bookmark$'
    [ "$("$ZNREG" query "$ENTRIES_KEY")" = "$before" ] || fail "Cancel changed the store"
    ;;
remove)
    first_run "$PASSWORD"
    main=$(wait_window '^Zintrel$')
    # Sorted after the sample row, so the first row stays the sample.
    kept=$(row "https://zz.example" "" "" "")
    add_entry "$main" "https://zz.example" "" "" ""
    eventually 3 stored_are "$SAMPLE" "$kept" || fail "expected two entries before Remove: $(stored_entries "$PASSWORD")"
    click_at "$main" "${FIRST_ROW[@]}"
    if [ -n "$SHOTS" ]; then
        click_at "$main" "${FIRST_ROW[@]}" 3
        screenshot "$SHOTS/list-context-menu.png"
        press Escape
    fi
    click_at "$main" "${REMOVE_BUTTON[@]}"
    confirm=$(wait_window '^Confirm$')
    focus "$confirm"; press y
    wait_gone '^Confirm$'
    # The selected row went, the other stays as it was.
    eventually 3 stored_are "$kept" || fail "Remove did not take the selected row: $(stored_entries "$PASSWORD")"
    # Nothing is selected now, but Remove stays enabled and says so.
    click_at "$main" "${REMOVE_BUTTON[@]}"
    info=$(wait_window '^Information$')
    focus "$info"; press Return
    wait_gone '^Information$'
    stored_are "$kept" || fail "the second Remove changed the store: $(stored_entries "$PASSWORD")"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
