#!/usr/bin/env bash
# A small harness for driving the real programs under a private Xvfb display:
# each scenario gets its own display, store and home folder, cleaned up on exit.
set -euo pipefail

BIN_DIR=${BIN_DIR:?BIN_DIR must name the folder with znvault and znreg}
ZNVAULT="$BIN_DIR/znvault"
ZNREG="$BIN_DIR/znreg"

WORK=$(mktemp -d)
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share"
export ZINTREL_REGISTRY="$WORK/store/registry.db"
mkdir -p "$HOME"
# The vault's hand-over socket lives here: a scenario's copy is reached by its own commands only.
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8
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
    if [ -s "$WORK/znvault.log" ]; then
        echo "--- znvault said:" >&2
        cat "$WORK/znvault.log" >&2
    fi
    echo "--- windows:" >&2
    xdotool search --name '.*' getwindowname %@ 2>/dev/null | grep -v '^$' >&2 || true
    if [ -n "${SCREENSHOT_ON_FAILURE:-}" ]; then import -display "$DISPLAY" -window root "$SCREENSHOT_ON_FAILURE" 2>/dev/null || true; fi
    exit 1
}

# -noreset: without it the server resets, refusing connections for a moment,
# whenever its last client (xdpyinfo, xdotool) leaves.
# A display number drawn at random from a high range: a number another test
# has just given up is not reused while its server may still be going away.
start_display() {
    local n attempt
    for attempt in $(seq 20); do
        n=$((200 + RANDOM % 700))
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        local server=$!
        PIDS+=("$server")
        export DISPLAY=":$n"
        for _ in $(seq 100); do
            kill -0 "$server" 2>/dev/null || break
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.05
        done
    done
    fail "no virtual display could be started"
}

# start_vault [ARGS...]: starts znvault in the background; its pid in VAULT_PID.
start_vault() {
    "$ZNVAULT" "$@" >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
}

# wait_window NAME_REGEX [SECONDS]: prints the id of a visible window so named.
wait_window() {
    local deadline=$((SECONDS + ${2:-10})) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    fail "no visible window named '$1'"
}

# no_window NAME_REGEX SECONDS: fails when such a window shows within the time.
no_window() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        if xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; then fail "window '$1' is showing"; fi
        sleep 0.2
    done
}

wait_gone() {
    local deadline=$((SECONDS + ${2:-10}))
    while [ $SECONDS -lt $deadline ]; do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' is still showing"
}

# click_at WINDOW X Y [BUTTON]: a click at client pixels of the window.
click_at() { xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"; sleep 0.3; }

# type_into WINDOW TEXT...: focuses the window and types; "{Tab}"-style keys go through xdotool key.
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; sleep 0.2; }
type_text() { xdotool type --delay 20 -- "$1"; }
press() { xdotool key --delay 50 "$@"; sleep 0.2; }

wait_exit() {
    local deadline=$((SECONDS + ${2:-10}))
    while [ $SECONDS -lt $deadline ]; do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "process $1 did not end"
}

# wait_exit_unasked PID NAME_REGEX [SECONDS]: waits for the process to end,
# failing should a window so named show while it still runs.
wait_exit_unasked() {
    local deadline=$((SECONDS + ${3:-10}))
    while [ $SECONDS -lt $deadline ]; do
        kill -0 "$1" 2>/dev/null || return 0
        if xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; then fail "window '$2' showed"; fi
        sleep 0.05
    done
    fail "process $1 did not end"
}

# take_value KEY NAME: deletes a value behind the program's back, so that only
# a later save can bring it back.
take_value() {
    "$ZNREG" delete "$1" /v "$2" /f >/dev/null
    ! has_value "$1" "$2" || fail "the value $2 could not be taken away"
}

# eventually SECONDS COMMAND...: retries the command until it succeeds; the
# program saves just after its window closes, so a check may come too early.
eventually() {
    local deadline=$((SECONDS + $1))
    shift
    while [ $SECONDS -lt $deadline ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# wait_for SECONDS WHAT COMMAND...: waits until the command succeeds, and
# fails the test, naming WHAT, when the time runs out first.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    eventually "$seconds" "$@" || fail "waited ${seconds}s in vain for $what"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# within_ms MS WHAT COMMAND...: waits at most MS milliseconds for the command
# to succeed, failing the test, naming WHAT, when it does not in time.
within_ms() {
    local limit=$1 what=$2 deadline
    deadline=$(($(now_ms) + limit))
    shift 2
    while :; do
        "$@" && return 0
        [ "$(now_ms)" -lt "$deadline" ] || fail "$what not within $limit ms"
        sleep 0.02
    done
}

# holds SECONDS WHAT COMMAND...: the command keeps succeeding for the whole
# time (what must not happen is watched for, not slept through); fails the
# test, naming WHAT, the moment it does not.
holds() {
    local seconds=$1 what=$2 start=$SECONDS
    shift 2
    while [ $((SECONDS - start)) -le "$seconds" ]; do
        "$@" || fail "$what"
        sleep 0.1
    done
}

reg_value() { "$ZNREG" query "$1" /v "$2"; }
has_value() { reg_value "$1" "$2" >/dev/null 2>&1; }
exists() { [ -e "$1" ] || fail "missing: $1"; }
gone() { [ ! -e "$1" ] || fail "still there: $1"; }

ENTRIES_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks\Bookmarks'
READ_ENTRIES="$BIN_DIR/e2e_read_entries"
# stored_entries PASSWORD: the entries as the program loads them, one line
# each, the four fields (site, description, user name, password) tab-separated.
stored_entries() { "$READ_ENTRIES" "$1"; }
# stored_entries_are PASSWORD LINE...: exactly these entries, in this order.
stored_entries_are() {
    local expected
    expected=$(printf '%s\n' "${@:2}")
    [ "$(stored_entries "$1")" = "$expected" ]
}
# row: one stored line from its four fields.
row() { printf '%s\t%s\t%s\t%s' "$1" "$2" "$3" "$4"; }

# first_run PASSWORD: a first start through the real dialogs, left showing the list.
first_run() {
    start_vault
    local dialog about
    dialog=$(wait_window '^Enter Password Information$')
    focus "$dialog"
    type_text "$1"; press Tab; type_text "$1"; press Return
    about=$(wait_window '^Thanks for choosing Zintrel$')
    focus "$about"
    press Return
    # The offer to import existing bookmarks: not now.
    local offer
    offer=$(wait_window '^Confirm$')
    focus "$offer"
    press n
    wait_window '^Zintrel$' >/dev/null
}

# ask_to_close WINDOW: the window manager's close button; prints the id of the
# "Confirm" question it brings up.
ask_to_close() {
    "$BIN_DIR/e2e_close_window" "$1" || fail "the close request for window $1 failed"
    wait_window '^Confirm$'
}

screenshot() { import -display "$DISPLAY" -window root "$1"; }

# answer_box TITLE KEY [SECONDS]: presses the key in the box so titled, once
# it shows within the time, and waits for that box to go (the next one may
# carry the same title). On a busy machine a box can miss a key pressed the
# moment it maps, so the key is pressed again while that same box still shows.
answer_box() {
    local box attempt deadline
    box=$(wait_window "^$1\$" "${3:-10}")
    for attempt in 1 2 3; do
        focus "$box"
        press "$2"
        deadline=$((SECONDS + 4))
        while xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -qx "$box"; do
            [ $SECONDS -lt $deadline ] || continue 2
            sleep 0.1
        done
        return 0
    done
    fail "the box '$1' is still showing"
}

# walk_setup SECONDS INSTALLED...: setup's screens as a user goes through
# them: agrees to the licence (shown within SECONDS), ticks both shortcut
# boxes, installs, and once the command INSTALLED... succeeds presses the
# completion panel's OK. The script's setup_shot SCREEN WINDOW, called on the
# licence, installation and completion screens, may take their pictures.
walk_setup() {
    local seconds=$1 licence installation
    shift
    licence=$(wait_window '^License Agreement & Disclaimer$' "$seconds")
    sleep 0.5  # painted, for the picture
    setup_shot licence "$licence"
    click_at "$licence" 196 324  # Agree
    installation=$(wait_window '^Installation$')
    focus "$installation"
    # Keyboard order: folder, desktop box, start-menu box, Browse, Install, Quit.
    press Tab space Tab space
    setup_shot installation "$installation"
    click_at "$installation" 122 163  # Install
    wait_for "$seconds" "the installation to finish" "$@"
    # The last thing installed is written just before the completion panel
    # replaces the notice, which nothing outside the window can see.
    sleep 0.5
    setup_shot completion "$installation"
    click_at "$installation" 180 161  # the completion panel's OK
}
