#!/usr/bin/env bash
# End to end: the tray icon under a StatusNotifier host. A private session bus
# carries a watcher and host of the tests' own (e2e_sni_host), and the real
# znvault runs against it: with "Icon" on, its item registers, shows the
# program's icon and tool tip, exports the tray menu, and answers a host's
# activation, menu clicks and context-menu request as the XEmbed tray answers
# the mouse; without the value no item registers.
source "$(dirname "$0")/harness.sh"
command -v dbus-daemon >/dev/null || fail "dbus-daemon is missing (package dbus-daemon)"
start_display
SNI_HOST="$BIN_DIR/e2e_sni_host"
VAULT_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks'

# A session bus of this test's own: nothing of the machine's desktop answers on it.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/bus"
dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile \
    >"$WORK/bus.log" 2>&1 &
PIDS+=($!)
wait_for 10 "the session bus" test -S "$WORK/bus"

# The host must be watching before the program starts: Qt chooses its tray once.
"$SNI_HOST" serve >"$WORK/host.log" 2>&1 &
PIDS+=($!)
wait_for 10 "the watcher" grep -sqx watching "$WORK/host.log"

registered_item() { grep -s -m1 "^item " "$WORK/host.log" | cut -d' ' -f2- || true; }
item_registered() { [ -n "$(registered_item)" ]; }
ICON_SECONDS=10
wait_item() {
    wait_for "$ICON_SECONDS" "the tray item to register" item_registered
    # shellcheck disable=SC2046  # service and path, as two words
    set -- $(registered_item)
    ITEM_SERVICE=$1 ITEM_PATH=$2
}
# The item's menu path, once it has one.
menu_path() { "$SNI_HOST" show "$ITEM_SERVICE" "$ITEM_PATH" | sed -n 's/^menu //p'; }
wait_menu() {
    local path
    for _ in $(seq 50); do
        path=$(menu_path)
        if [ -n "$path" ] && [ "$path" != /NO_DBUSMENU ]; then
            MENU_PATH=$path
            return 0
        fi
        sleep 0.1
    done
    fail "the tray item exports no menu"
}
start_with_icon() {
    "$ZNREG" add "$VAULT_KEY" /v Icon /t REG_DWORD /d 1 /f >/dev/null
    start_vault /S
    wait_item
}
no_item_while_running() { kill -0 "$VAULT_PID" 2>/dev/null && [ -z "$(registered_item)" ]; }

first_run "s3cret-pass"
kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID"
# The first run had no icon to register.
[ -z "$(registered_item)" ] || fail "an item registered without the Icon setting"

scenario=${1:?scenario}
case "$scenario" in
item_shows)
    start_with_icon
    shown=$("$SNI_HOST" show "$ITEM_SERVICE" "$ITEM_PATH") || fail "the item does not answer"
    echo "$shown"
    # The program's own icon, drawn: a pixmap with pixels that show, or a name.
    grep -Eq '^icon-pixmaps [1-9][0-9]* visible$' <<<"$shown" ||
        grep -Eq '^icon-name .+' <<<"$shown" || fail "the item has no icon"
    grep -qx 'tooltip Zintrel' <<<"$shown" || fail "the tool tip is not the hint"
    wait_menu
    # The tray menu's captions, their mnemonics in the menu protocol's form.
    entries=$("$SNI_HOST" menu "$ITEM_SERVICE" "$MENU_PATH") || fail "the menu does not answer"
    [ "$entries" = "$(printf '%s\n' _Open '_Add Bookmark' _Quit)" ] ||
        fail "the menu lists: $entries"
    ;;
activate)
    start_with_icon
    no_window '^Enter Password$' 1
    # A host's click on the icon: what the double click does under XEmbed.
    "$SNI_HOST" activate "$ITEM_SERVICE" "$ITEM_PATH" || fail "the item refused Activate"
    wait_window '^Enter Password$' >/dev/null
    ;;
menu_open)
    start_with_icon
    wait_menu
    no_window '^Enter Password$' 1
    "$SNI_HOST" click "$ITEM_SERVICE" "$MENU_PATH" _Open || fail "no entry _Open to click"
    wait_window '^Enter Password$' >/dev/null
    ;;
menu_add_bookmark)
    start_with_icon
    wait_menu
    "$SNI_HOST" click "$ITEM_SERVICE" "$MENU_PATH" '_Add Bookmark' ||
        fail "no entry _Add Bookmark to click"
    # Not unlocked yet in this run: the capture warns first.
    answer_box Warning Return
    wait_window '^Enter Password$' >/dev/null
    ;;
context_menu)
    # A host that draws no menus asks the item to pop its own up at the cursor.
    start_with_icon
    xdotool mousemove 900 740
    "$SNI_HOST" context-menu "$ITEM_SERVICE" "$ITEM_PATH" || fail "the item refused ContextMenu"
    sleep 0.5
    press o
    wait_window '^Enter Password$' >/dev/null
    ;;
no_icon)
    start_vault /S
    holds "$ICON_SECONDS" "znvault to keep running, without a tray item" no_item_while_running
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
