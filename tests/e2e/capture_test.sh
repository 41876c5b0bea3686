#!/usr/bin/env bash
# End to end: Ctrl+Alt+B adds the page that a real, unmodified browser shows,
# with its title as description. Debian's chromium (no debugging flag) and
# firefox-esr each show a page this test serves on 127.0.0.1; with both
# running the chooser asks which to add. The same browsers also keep their
# profiles where a Snap (Firefox) and a Flatpak (Chromium) would. A scenario
# named NAME_command is NAME with "znvault --capture" in place of the hotkey.
# Optionally the chooser's screenshot.
E2E_DIR=$(cd "$(dirname "$0")" && pwd)
source "$E2E_DIR/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
PASSWORD="s3cret-pass"

# --- the pages, on loopback only
SITE="$WORK/site"
mkdir -p "$SITE"
CHROMIUM_TITLE='Chromium page, with a comma'
FIREFOX_TITLE='Firefox "quoted" café'
printf '<!doctype html><html><head><meta charset="utf-8"><title>%s</title></head><body>%s</body></html>\n' \
    "$CHROMIUM_TITLE" chromium >"$SITE/chromium.html"
printf '<!doctype html><html><head><meta charset="utf-8"><title>%s</title></head><body>%s</body></html>\n' \
    "Firefox &quot;quoted&quot; café" firefox >"$SITE/firefox.html"
PORT=$((20000 + RANDOM % 20000))
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SITE" >/dev/null 2>&1 &
PIDS+=($!)
CHROMIUM_URL="http://127.0.0.1:$PORT/chromium.html"
FIREFOX_URL="http://127.0.0.1:$PORT/firefox.html"

# start_chromium [USER_DATA]: a stock Chromium in $XDG_CONFIG_HOME/chromium, or
# in the user-data folder given, kept off the network; returns once its
# session file records the page.
start_chromium() {
    local user_data=${1:-$XDG_CONFIG_HOME/chromium} place=()
    [ $# -gt 0 ] && place=(--user-data-dir="$user_data")
    chromium "${place[@]}" --no-sandbox --no-first-run --no-default-browser-check --disable-background-networking \
        --disable-component-update --disable-sync --disable-gpu --disable-quic \
        --password-store=basic "$CHROMIUM_URL" >"$WORK/chromium.log" 2>&1 &
    PIDS+=($!)
    wait_window "^$CHROMIUM_TITLE" 60 >/dev/null
    local deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
        grep -qaF "$CHROMIUM_URL" "$user_data"/Default/Sessions/Session_* 2>/dev/null && return 0
        sleep 0.5
    done
    fail "Chromium did not record its page"
}

# start_firefox [snap]: Firefox ESR with a profile of its own that the
# default profile list names, saving its session every second; returns once
# the session has been written after the page loaded. With "snap" the list and
# the profile lie in the Snap's folder, as the Snap's own first start leaves
# them: the profile beside the list, named relatively, also as the install's
# default.
start_firefox() {
    local profile="$HOME/firefox-profile" list="$XDG_CONFIG_HOME/mozilla/firefox"
    if [ "${1:-}" = snap ]; then
        list="$HOME/snap/firefox/common/.mozilla/firefox"
        profile="$list/q7zt3k1e.default"
        mkdir -p "$profile"
        printf '[Install4F96D1932A9F858E]\nDefault=%s\nLocked=1\n\n[Profile0]\nName=default\nIsRelative=1\nPath=%s\nDefault=1\n\n[General]\nStartWithLastProfile=1\nVersion=2\n' \
            "${profile##*/}" "${profile##*/}" >"$list/profiles.ini"
    else
        mkdir -p "$profile" "$list"
        printf '[Profile0]\nName=default\nIsRelative=0\nPath=%s\nDefault=1\n' "$profile" >"$list/profiles.ini"
    fi
    cp "$E2E_DIR/firefox_test_prefs.js" "$profile/user.js"
    firefox-esr --no-remote --profile "$profile" "$FIREFOX_URL" >"$WORK/firefox.log" 2>&1 &
    PIDS+=($!)
    wait_window '^Firefox "quoted"' 90 >/dev/null
    local loaded=$(date +%s) session="$profile/sessionstore-backups/recovery.jsonlz4"
    local deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
        [ -f "$session" ] && [ "$(stat -c %Y "$session")" -gt "$loaded" ] && return 0
        sleep 0.5
    done
    fail "Firefox did not write its session"
}

# capture_page: asks the running copy to add the page, by the hotkey or, with
# CAPTURE_BY=command, by "znvault --capture", which hands the request over and
# must end with 0 at once: before the box that the capture shows is answered.
capture_page() {
    if [ "$CAPTURE_BY" = hotkey ]; then
        xdotool key ctrl+alt+b
        return
    fi
    local command status=0
    "$ZNVAULT" --capture >"$WORK/capture-command.log" 2>&1 &
    command=$!
    PIDS+=("$command")
    wait_exit "$command" 10
    wait "$command" || status=$?
    [ "$status" -eq 0 ] || { cat "$WORK/capture-command.log" >&2; fail "znvault --capture ended with $status"; }
    kill -0 "$VAULT_PID" 2>/dev/null || fail "the running copy ended"
}

stored() { stored_entries "$PASSWORD"; }
has_entry() { stored | grep -qxF "$1"; }

first_run "$PASSWORD"
scenario=${1:?scenario}
CAPTURE_BY=hotkey
if [[ $scenario == *_command ]]; then
    CAPTURE_BY=command
    scenario=${scenario%_command}
fi
case "$scenario" in
chromium)
    start_chromium
    capture_page
    answer_box Information Return
    eventually 5 has_entry "$CHROMIUM_URL	$CHROMIUM_TITLE		" || fail "the Chromium page was not stored: $(stored)"
    ;;
chromium_flatpak)
    start_chromium "$HOME/.var/app/org.chromium.Chromium/config/chromium"
    [ ! -L "$XDG_CONFIG_HOME/chromium/SingletonLock" ] || fail "a Chromium runs outside the Flatpak's folder"
    capture_page
    answer_box Information Return
    eventually 5 has_entry "$CHROMIUM_URL	$CHROMIUM_TITLE		" || fail "the Chromium page was not stored: $(stored)"
    ;;
firefox | firefox_snap)
    if [ "$scenario" = firefox_snap ]; then
        start_firefox snap
        for list in "$XDG_CONFIG_HOME/mozilla/firefox" "$HOME/.mozilla/firefox"; do
            [ ! -e "$list/profiles.ini" ] || fail "a profile list outside the Snap's folder: $list"
        done
    else
        start_firefox
    fi
    capture_page
    answer_box Information Return
    eventually 5 has_entry "$FIREFOX_URL	$FIREFOX_TITLE		" || fail "the Firefox page was not stored: $(stored)"
    ;;
both)
    start_chromium
    start_firefox
    capture_page
    chooser=$(wait_window '^Select Bookmark to Add$')
    focus "$chooser"
    [ -n "$SHOTS" ] && import -display "$DISPLAY" -window "$chooser" "$SHOTS/capture-chooser.png"
    # The first box is Firefox's page; OK sits under the boxes, left of Cancel.
    click_at "$chooser" 40 68
    click_at "$chooser" 208 168
    wait_gone '^Select Bookmark to Add$'
    answer_box Information Return
    eventually 5 has_entry "$FIREFOX_URL	$FIREFOX_TITLE		" || fail "the ticked page was not stored: $(stored)"
    # Each page added has a box of its own before its row is stored.
    no_window '^Information$' 2
    ! stored | grep -qF "$CHROMIUM_URL" || fail "the page left unticked was stored too"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $1"
