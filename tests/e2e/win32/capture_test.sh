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

stored() { wine "$BIN_DIR/e2e_read_entries.exe" "$PASSWORD" 2>/dev/null | tr -d '\r'; }
has_entry() { stored | grep -qxF "$1"; }
count_site() { stored | cut -f1 | grep -cxF "$1" || true; }

# capture: the capture hotkey, pressed in the program's window, where Wine
# delivers the keys it watches for.
capture() {
    focus "$(wait_window '^Zintrel$')"
    xdotool key ctrl+alt+b
}

# answer_box TITLE: presses OK in the message box so titled.
answer_box() {
    local box
    box=$(wait_window "^$1\$" 30)
    focus "$box"; press Return
    wait_gone "^$1\$"
}

# The browsers start first: Wine's own start-up is then over before the
# program's first-run dialogs are waited for.
scenario=${1:?scenario}
case "$scenario" in
iexplore)
    serve IExplore "$SITE" "$TITLE"
    vault_first_run "$PASSWORD"
    capture
    answer_box Information
    eventually 10 has_entry "$SITE	$TITLE		" || fail "the page was not stored: $(stored)"
    # The same page again is already listed: nothing more is stored.
    capture
    answer_box Information
    sleep 1
    [ "$(count_site "$SITE")" = 1 ] || fail "the page was stored twice: $(stored)"
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
    answer_box Information
    eventually 10 has_entry "$SITE	$TITLE		" || fail "the ticked page was not stored: $(stored)"
    sleep 1
    [ "$(count_site "$OTHER_SITE")" = 0 ] || fail "the page left unticked was stored too"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
