#!/usr/bin/env bash
# End to end: "&Import" through the real windows, over a favorites folder of
# Internet shortcuts and a browser's bookmark file; the store is read back as
# the program loads it. With SCREENSHOT_DIR set, also the README's pictures of
# both pages.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
PASSWORD="s3cret-pass"
EXPORT="$(dirname "$0")/../import/data/firefox-esr-export.html"
FAVORITES="$HOME/Favorites"
BOOKMARKS="$HOME/.netscape/default/bookmark.htm"

# Places in the windows (client pixels; both have a fixed size).
IMPORT_BUTTON=(590 304)
SELECT_ALL_FAVORITES=(534 94)
SECOND_PAGE=(278 13)
SELECT_ALL_ADDRESSES=(534 190)
REMOVE_BOX=(17 414)
IMPORT_NOW=(449 414)

shortcut() { mkdir -p "$(dirname "$1")"; printf '[InternetShortcut]\r\nURL=%s\r\n' "$2" >"$1"; }

# Shot of the dialog alone.
shot_dialog() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -display "$DISPLAY" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

make_sources() {
    shortcut "$FAVORITES/News.url" "http://news.example/"
    shortcut "$FAVORITES/Links/Wiki.url" "https://wiki.example/Main Page"
    shortcut "$FAVORITES/Links/Same.url" "https://WWW.example.org/"  # one of the file's, in capitals
    mkdir -p "$(dirname "$BOOKMARKS")"
    cp "$EXPORT" "$BOOKMARKS"
}

# In the open dialog: tick everything on both pages, ask for removal, import.
import_everything() {
    local dialog=$1
    sleep 0.5
    click_at "$dialog" "${SELECT_ALL_FAVORITES[@]}"
    [ -n "$SHOTS" ] && shot_dialog "$dialog" "$SHOTS/import-favorites.png"
    click_at "$dialog" "${SECOND_PAGE[@]}"
    click_at "$dialog" "${SELECT_ALL_ADDRESSES[@]}"
    [ -n "$SHOTS" ] && shot_dialog "$dialog" "$SHOTS/import-bookmark-file.png"
    click_at "$dialog" "${REMOVE_BOX[@]}"
    click_at "$dialog" "${IMPORT_NOW[@]}"
    wait_gone '^Import$'
}

check_browser_side() {
    [ -z "$(find "$FAVORITES" -name '*.url')" ] || fail "shortcut files are left: $(find "$FAVORITES" -name '*.url')"
    # Exactly the address lines went; every other line stays, now with CR LF.
    grep -v '<DT><A HREF="' "$EXPORT" | sed 's/$/\r/' >"$WORK/expected.htm"
    cmp -s "$WORK/expected.htm" "$BOOKMARKS" || { diff "$WORK/expected.htm" "$BOOKMARKS" >&2; fail "the bookmark file is not as expected"; }
}

# The rows in the list's order (by site, byte order under C.UTF-8): the
# sample, the 3 favorites with their file names as descriptions, and the
# file's addresses with the address as description, taken as the file writes
# them. The file's www.example.org (twice) is the favorite's in other letter
# case, and the favorites come in first.
file_row() { row "$1" "$1" "" ""; }
EXPECTED=(
    "$(file_row "ftp://files.example.com/pub/")"
    "$(file_row "http://intranet.example/wiki/Start_Page")"
    "$(row "http://news.example/" "News" "" "")"
    "$(row "https://WWW.example.org/" "Same" "" "")"
    "$(row "https://halvorn.example/" "Halvorn" "" "")"
    "$(file_row "https://mail.example.net/login?user=me&amp;lang=en")"
    "$(file_row "https://news.example.com/world/")"
    "$(file_row "https://shop.example.com/Cart")"
    "$(row "https://wiki.example/Main Page" "Wiki" "" "")"
    "$(file_row "https://xn--caf-dma.example.fr/menu")"
)
stored_as_expected() { stored_entries_are "$PASSWORD" "${EXPECTED[@]}"; }

scenario=${1:?scenario}
case "$scenario" in
import_button)
    make_sources
    first_run "$PASSWORD"
    main=$(wait_window '^Zintrel$')
    click_at "$main" "${IMPORT_BUTTON[@]}"
    import_everything "$(wait_window '^Import$')"
    eventually 3 stored_as_expected || fail "the entries stored are not the ones expected: $(stored_entries "$PASSWORD")"
    check_browser_side
    kill -0 "$VAULT_PID" || fail "znvault ended"
    ;;
first_run_offer)
    make_sources
    start_vault
    dialog=$(wait_window '^Enter Password Information$')
    focus "$dialog"
    type_text "$PASSWORD"; press Tab; type_text "$PASSWORD"; press Return
    about=$(wait_window '^Thanks for choosing Zintrel$')
    focus "$about"; press Return
    offer=$(wait_window '^Confirm$')
    focus "$offer"; press y
    import_everything "$(wait_window '^Import$')"
    wait_window '^Zintrel$' >/dev/null
    # Written with the sample row by the save that ends the first start.
    eventually 3 stored_as_expected || fail "the entries stored are not the ones expected: $(stored_entries "$PASSWORD")"
    check_browser_side
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
