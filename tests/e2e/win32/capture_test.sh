#!/usr/bin/env bash
# End to end under Wine: Ctrl+Alt+B adds the page that a browser serves over
# DDE. dde_test_server.exe stands in for the browser, in the same Wine prefix
# as znvault.exe: it answers the page request on its service name with the
# comma text it was given, as a browser would.
#   iexplore: one browser answers; its page is added, and a second press
#             reports it as already listed.
#   chooser:  two browsers answer; the chooser asks, and only the ticked page
#             is added. Optionally the chooser's screenshot.
source "$(dirname "$0")/wine_harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
PASSWORD="s3cret-pass"
SITE='http://example.test/page'
TITLE='Example Page'
OTHER_SITE='http://other.test/news'
OTHER_TITLE='Other News'

# serve SERVICE SITE TITLE: a browser of the test's own; returns once it serves.
serve() {
    local log="$WORK/dde-$1.log"
    wine "$BIN_DIR/dde_test_server.exe" "$1" "\"$2\",\"$3\"" >"$log" 2>&1 &
    PIDS+=($!)
    eventually 30 grep -q ready "$log" || fail "the DDE server for $1 did not start: $(cat "$log")"
}

stored() { stored_entries "$PASSWORD"; }
has_entry() { stored | grep -qxF "$1"; }
count_site() { stored | cut -f1 | grep -cxF "$1" || true; }
site_stored_once() { [ "$(count_site "$SITE")" = 1 ]; }

# capture: the capture hotkey, pressed in the program's window, where Wine
# delivers the keys it watches for.
capture() {
    focus "$(wait_window '^Zintrel$')"
    xdotool key ctrl+alt+b
}

# The browsers start first: Wine's own start-up is then over before the
# program's first-run dialogs are waited for.
scenario=${1:?scenario}
case "$scenario" in
iexplore)
    serve IExplore "$SITE" "$TITLE"
    vault_first_run "$PASSWORD"
    capture
    answer_box Information Return 30
    eventually 10 has_entry "$SITE	$TITLE		" || fail "the page was not stored: $(stored)"
    # The same page again is already listed: nothing more is stored.
    capture
    answer_box Information Return 30
    holds 2 "the page to be stored once" site_stored_once
    ;;
chooser)
    serve Netscape "$OTHER_SITE" "$OTHER_TITLE"
    serve IExplore "$SITE" "$TITLE"
    vault_first_run "$PASSWORD"
    capture
    chooser=$(wait_window '^Select Bookmark to Add$' 30)
    focus "$chooser"
    [ -n "$SHOTS" ] && import -display "$DISPLAY" -window "$chooser" "$SHOTS/chooser-e2e.png"
    # The first box (Netscape's page) has the focus: tick the second, then OK.
    press Tab space Return
    wait_gone '^Select Bookmark to Add$'
    answer_box Information Return 30
    eventually 10 has_entry "$SITE	$TITLE		" || fail "the ticked page was not stored: $(stored)"
    # Each page added has a box of its own before its row is stored.
    no_window '^Information$' 2
    [ "$(count_site "$OTHER_SITE")" = 0 ] || fail "the page left unticked was stored too"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
