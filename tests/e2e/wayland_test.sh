#!/usr/bin/env bash
# End to end on Wayland: znvault as a client of a headless sway, with no X
# display at all, its hotkeys bound through Debian's xdg-desktop-portal on a
# private session bus, and the desktop's side of the portal played by
# e2e_shortcuts_backend. The backend's activation of shortcut 0 shows the lock
# panel; of shortcut 1, before any unlock, the warning to enter the password;
# a password typed through a virtual keyboard opens the list.
#
# A compositor must not run as root, so as root (CI) everything below runs as
# an unprivileged user of its own, which the test creates when it is missing.
set -euo pipefail

BIN_DIR=${BIN_DIR:?BIN_DIR must name the folder with znvault and the test programs}
SOURCE_DIR="$(cd "$(dirname "$0")/../.." && pwd)"
SKIP=77
TEST_USER=zintrel-e2e

skip() { echo "SKIP: $*"; exit $SKIP; }
for tool in sway swaymsg wtype grim dbus-daemon dbus-send setpriv python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
PORTAL=/usr/libexec/xdg-desktop-portal
[ -x "$PORTAL" ] || skip "xdg-desktop-portal is not installed"

WORK=$(mktemp -d)
chmod 755 "$WORK"
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "$WORK"/log/*; do
        [ -s "$log" ] || continue
        echo "--- $(basename "$log"):" >&2
        tail -n 40 "$log" >&2
    done
    echo "--- windows:" >&2
    window_names >&2 || true
    if [ -n "${SCREENSHOT_ON_FAILURE:-}" ]; then
        as_user grim - >"$SCREENSHOT_ON_FAILURE" 2>/dev/null || true
    fi
    exit 1
}

# as_user COMMAND...: runs it as the test user (as root), else as ourselves.
if [ "$(id -u)" -eq 0 ]; then
    if ! id "$TEST_USER" >/dev/null 2>&1; then
        # Another scenario running beside this one may have just made it.
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            "$TEST_USER" 2>/dev/null || id "$TEST_USER" >/dev/null 2>&1 ||
            skip "no unprivileged user to run the compositor as"
    fi
    as_user() { setpriv --reuid="$TEST_USER" --regid="$TEST_USER" --init-groups -- "$@"; }
else
    as_user() { "$@"; }
fi

# The programs and the data are copied: the build and source folders may sit
# where the user cannot go.
mkdir -p "$WORK/bin" "$WORK/home" "$WORK/run" "$WORK/log" "$WORK/store" \
    "$WORK/share/xdg-desktop-portal/portals" "$WORK/home/.config/xdg-desktop-portal" \
    "$WORK/home/.config/sway"
cp "$BIN_DIR/znvault" "$BIN_DIR/znreg" "$BIN_DIR/e2e_shortcuts_backend" "$WORK/bin/"
cp "$SOURCE_DIR/tests/registry/data/wine-vault.reg" "$WORK/vault.reg"
chmod 700 "$WORK/run" "$WORK/store"
[ "$(id -u)" -eq 0 ] && chown -R "$TEST_USER:" "$WORK"

unset DISPLAY WAYLAND_DISPLAY SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS SWAYSOCK I3SOCK
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share"
export XDG_RUNTIME_DIR="$WORK/run" ZINTREL_REGISTRY="$WORK/store/registry.db"
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=zintreltest
export XDG_DATA_DIRS="$WORK/share:/usr/local/share:/usr/share"
export XDG_DESKTOP_PORTAL_DIR="$WORK/share/xdg-desktop-portal/portals"
export LANG=C.UTF-8 QT_QPA_PLATFORM=wayland
export WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
BACKEND_LOG="$WORK/log/backend"

# Waits up to SECONDS for COMMAND to succeed.
eventually() {
    local deadline=$((SECONDS + $1))
    shift
    while [ $SECONDS -lt $deadline ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

start_bus() {
    cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$WORK/run/bus</listen>
  <standard_session_servicedirs/>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    as_user dbus-daemon --config-file="$WORK/bus.conf" --nofork --nopidfile \
        >"$WORK/log/dbus" 2>&1 &
    PIDS+=($!)
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/run/bus"
    eventually 10 as_user dbus-send --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetId || fail "the private session bus did not start"
}

start_compositor() {
    cat >"$XDG_CONFIG_HOME/sway/config" <<CONF
output HEADLESS-1 resolution 1024x768 position 0 0
xwayland disable
output * bg #3b4f63 solid_color
CONF
    as_user sway --config "$XDG_CONFIG_HOME/sway/config" >"$WORK/log/sway" 2>&1 &
    PIDS+=($!)
    eventually 15 compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" || fail "sway did not start"
    local socket
    socket=$(compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" | head -n 1)
    export WAYLAND_DISPLAY=$(basename "$socket")
    eventually 10 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" || fail "no sway IPC socket"
    export SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n 1)
    # A headless seat has no keyboard, and a client that saw none at its start
    # never hears the keys a virtual one sends later: one stays plugged in.
    as_user wtype -s 600000 >/dev/null 2>&1 &
    PIDS+=($!)
}

# The portal frontend finds our backend through its .portal file, picked for
# this desktop by UseIn (older frontends) or portals.conf (newer ones).
start_portal() {
    cat >"$XDG_DESKTOP_PORTAL_DIR/zintreltest.portal" <<CONF
[portal]
DBusName=org.freedesktop.impl.portal.desktop.zintreltest
Interfaces=org.freedesktop.impl.portal.GlobalShortcuts;
UseIn=zintreltest
CONF
    printf '[preferred]\ndefault=zintreltest\n' >"$XDG_CONFIG_HOME/xdg-desktop-portal/portals.conf"
    [ "$(id -u)" -eq 0 ] && chown -R "$TEST_USER:" "$WORK/share" "$XDG_CONFIG_HOME"
    as_user "$WORK/bin/e2e_shortcuts_backend" "$BACKEND_LOG" >"$WORK/log/backend-stderr" 2>&1 &
    PIDS+=($!)
    eventually 10 as_user dbus-send --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetNameOwner string:org.freedesktop.impl.portal.desktop.zintreltest ||
        fail "the shortcuts backend did not start"
    as_user "$PORTAL" --replace --verbose >"$WORK/log/portal" 2>&1 &
    PIDS+=($!)
    eventually 20 as_user dbus-send --print-reply --dest=org.freedesktop.portal.Desktop \
        /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
        string:org.freedesktop.portal.GlobalShortcuts string:version ||
        fail "the portal does not offer GlobalShortcuts"
}

# window_names: the titles of the toplevels sway shows, one a line.
window_names() {
    as_user swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("pid") and node.get("visible"):
        print(node.get("name") or "")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}
shows_window() { window_names | grep -qx -- "$1"; }
shows_no_window() { ! shows_window "$1"; }
wait_window() { eventually "${2:-15}" shows_window "$1" || fail "no window named '$1'"; }
no_window() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        shows_window "$1" && fail "a window named '$1' showed"
        sleep 0.2
    done
}

# activate ID [SESSION]: the backend fires the shortcut, in the session the
# program made last unless one is named.
activate() {
    as_user dbus-send --print-reply --dest=org.freedesktop.impl.portal.desktop.zintreltest \
        /org/zintrel/test org.zintrel.test.Backend.Activate "string:$1" ${2:+"string:$2"} \
        >/dev/null || fail "the backend could not activate shortcut $1"
}

# keeps_window NAME SECONDS: fails when the window stops showing within the time.
keeps_window() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        shows_window "$1" || fail "the window '$1' went away"
        sleep 0.2
    done
}

start_vault() {
    as_user "$WORK/bin/znvault" "$@" >"$WORK/log/znvault" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
}

SHOTS=${SCREENSHOT_DIR:-}
screenshot() { [ -z "$SHOTS" ] || as_user grim - >"$SHOTS/$1" || fail "no screenshot $1"; }

bound() { grep -q "^bind [^ ]* $1 $2 " "$BACKEND_LOG"; }
bound_in() { grep -q "^bind $1 $2 $3 " "$BACKEND_LOG"; }
closed() { grep -qx "closed $1" "$BACKEND_LOG"; }
last_session() { awk '$1 == "session" { last = $2 } END { print last }' "$BACKEND_LOG"; }

# unlock: the password typed at the lock panel, leaving the list showing.
unlock() {
    wait_window "Enter Password"
    as_user wtype -d 20 "Fjord-Lantern-42"
    as_user wtype -k Return
    # The offer to protect the old vault: not now.
    wait_window "Confirm"
    as_user wtype -k Escape
    wait_window "Zintrel"
}

# A vault made elsewhere, so the program starts at its lock panel; the
# settings hold the hotkeys the portal must be offered.
seed_vault() {
    as_user "$WORK/bin/znreg" import "$WORK/vault.reg" >/dev/null ||
        fail "the vault could not be imported"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Halvorn\\Bookmarks]\r\n"ActivateKey"="%s"\r\n"FavoriteKey"="%s"\r\n' \
        "$1" "$2" >"$WORK/keys.reg"
    as_user "$WORK/bin/znreg" import "$WORK/keys.reg" >/dev/null || fail "the hotkeys could not be set"
}

start_bus
start_compositor
start_portal

scenario=${1:?scenario}
case "$scenario" in
toggle)
    seed_vault "Ctrl+Alt+P" "Ctrl+Alt+B"
    start_vault /S
    eventually 15 bound 0 CTRL+ALT+p || fail "the toggle hotkey was not bound as CTRL+ALT+p"
    eventually 5 bound 1 CTRL+ALT+b || fail "the capture hotkey was not bound as CTRL+ALT+b"
    no_window "Enter Password" 1
    activate 0
    wait_window "Enter Password"
    screenshot wayland-lock-panel.png
    activate 0
    eventually 10 shows_no_window "Enter Password" ||
        fail "the second activation did not hide the window"
    ;;
capture)
    seed_vault "Shift+Ctrl+F5" "Alt+Ins"
    start_vault /S
    eventually 15 bound 1 ALT+Insert || fail "the capture hotkey was not bound as ALT+Insert"
    bound 0 SHIFT+CTRL+F5 || fail "the toggle hotkey was not bound as SHIFT+CTRL+F5"
    activate 1
    wait_window "Warning"
    screenshot wayland-password-first.png
    shows_window "Enter Password" && fail "the lock panel showed before the warning was answered"
    as_user wtype -k Return
    wait_window "Enter Password"
    ;;
unlock)
    # Typed through a virtual keyboard, as any Wayland input reaches a client.
    seed_vault "Ctrl+Alt+P" "Ctrl+Alt+B"
    start_vault
    unlock
    # sway placed the window at the lock panel's size; the list is larger.
    as_user swaymsg '[app_id="znvault"] move position center' >/dev/null
    sleep 0.3
    screenshot wayland-list-panel.png
    # A capture with no browser and no X windows to scan: nothing to add, and
    # nothing to complain about either.
    eventually 5 bound 1 CTRL+ALT+b || fail "the capture hotkey was not bound"
    activate 1
    no_window "Error" 2
    no_window "Warning" 1
    shows_window "Zintrel" || fail "the list went away"
    ;;
rebind)
    # A show/hide hotkey changed in Options is bound again in a new session;
    # the old one is closed and its activations count no more.
    seed_vault "Ctrl+Alt+P" "Ctrl+Alt+B"
    start_vault
    unlock
    eventually 15 bound 0 CTRL+ALT+p || fail "the toggle hotkey was not bound as CTRL+ALT+p"
    old=$(last_session)
    as_user wtype -M alt o -m alt
    wait_window "Options"
    # The show/hide field has the focus and takes the combination pressed.
    as_user wtype -M ctrl -M alt k -m alt -m ctrl
    sleep 0.3
    screenshot wayland-options.png
    as_user wtype -k Return
    eventually 10 shows_no_window "Options" || fail "OK did not close Options"
    eventually 10 closed "$old" || fail "the old session was not closed"
    eventually 10 bound_in "$(last_session)" 0 CTRL+ALT+k ||
        fail "no new session bound the toggle hotkey as CTRL+ALT+k"
    new=$(last_session)
    [ "$new" != "$old" ] || fail "the new binding came in the old session"
    bound_in "$new" 1 CTRL+ALT+b || fail "the new session lost the capture hotkey"
    activate 0 "$old"
    keeps_window "Zintrel" 2
    activate 0 "$new"
    eventually 10 shows_no_window "Zintrel" || fail "an activation in the new session did not hide the list"
    activate 0 "$old"
    no_window "Zintrel" 2
    activate 0 "$new"
    wait_window "Zintrel"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
kill -0 "$VAULT_PID" 2>/dev/null || fail "znvault ended"
grep -qi "error\|critical" "$WORK/log/znvault" && fail "znvault complained"
[ -n "${WAYLAND_TEST_VERBOSE:-}" ] && head -n 50 "$WORK"/log/*
exit 0
