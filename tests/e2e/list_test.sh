#!/usr/bin/env bash
# End to end: the list panel's Add and Remove through the real windows, read
# back from the store with znreg; optionally the screenshots for the README.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
ENTRIES='HKCU\SOFTWARE\Halvorn\Bookmarks\Bookmarks'

# Places inside the list panel (client pixels; the panel has a fixed size):
# the first row of the list and the first two buttons of the bottom bar.
FIRST_ROW=(100 86)
ADD_BUTTON=(46 304)
REMOVE_BUTTON=(136 304)

click_at() { xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"; sleep 0.3; }
entry_count() { "$ZNREG" query "$ENTRIES" | grep -c 'Favorite[0-9]'; }
has_entries() { [ "$(entry_count)" = "$1" ]; }

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
    first_run "s3cret-pass"
    main=$(wait_window '^Zintrel$')
    [ "$(entry_count)" = 1 ] || fail "the sample row is not the only entry"
    add_entry "$main" "https://mail.example/login?a=1;b=2" "Mail" "me@mail.example" "pa ss'word"
    # Saved at once, not at the end of the run.
    eventually 3 has_entries 2 || fail "the new entry was not saved at once"
    kill -0 "$VAULT_PID" || fail "znvault ended"
    ;;
cancel)
    first_run "s3cret-pass"
    main=$(wait_window '^Zintrel$')
    before=$("$ZNREG" query "$ENTRIES")
    click_at "$main" "${ADD_BUTTON[@]}"
    dialog=$(wait_window '^New Bookmark$')
    focus "$dialog"; type_text "https://never.example"; press Escape
    wait_gone '^New Bookmark$'
    [ "$("$ZNREG" query "$ENTRIES")" = "$before" ] || fail "Cancel changed the store"
    ;;
remove)
    first_run "s3cret-pass"
    main=$(wait_window '^Zintrel$')
    add_entry "$main" "https://zz.example" "" "" ""
    eventually 3 has_entries 2 || fail "expected two entries before Remove"
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
    eventually 3 has_entries 1 || fail "expected one entry after Remove"
    # Nothing is selected now, but Remove stays enabled and says so.
    click_at "$main" "${REMOVE_BUTTON[@]}"
    info=$(wait_window '^Information$')
    focus "$info"; press Return
    wait_gone '^Information$'
    [ "$(entry_count)" = 1 ] || fail "the second Remove changed the store"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
