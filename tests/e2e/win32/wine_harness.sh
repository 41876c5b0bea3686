#!/usr/bin/env bash
# The end-to-end harness for the Windows programs: the Linux harness's
# display, window and key helpers, with every program run under Wine in a
# private prefix copied from the build's template (WINE_TEMPLATE).
set -euo pipefail

WINE_TEMPLATE=${WINE_TEMPLATE:?WINE_TEMPLATE must name the prepared Wine prefix}
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
ZNVAULT="$BIN_DIR/znvault.exe"
ZNREG="$BIN_DIR/znreg.exe"
unset ZINTREL_REGISTRY

export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The template's files are linked, not copied (a prefix is hundreds of
# megabytes); the few that Wine rewrites in place are copied.
cp -al "$WINE_TEMPLATE" "$WINEPREFIX"
for file in "$WINEPREFIX"/*.reg "$WINEPREFIX"/.update-timestamp; do
    [ -f "$file" ] && cp --remove-destination "$WINE_TEMPLATE/${file##*/}" "$file"
done

# Wine's server outlives the programs: it goes before the prefix does.
wine_cleanup() {
    wineserver -k 2>/dev/null || true
    cleanup
}
trap wine_cleanup EXIT

start_vault() {
    wine "$ZNVAULT" "$@" >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
}

# wine_run PROGRAM [ARGS...]: a Windows program in the background; its pid in WINE_PID.
wine_run() {
    wine "$@" >>"$WORK/wine.log" 2>&1 &
    WINE_PID=$!
    PIDS+=("$WINE_PID")
}

stored_entries() { wine "$BIN_DIR/e2e_read_entries.exe" "$1" 2>/dev/null | tr -d '\r'; }

# reg_query KEY [/v NAME]: Wine's own registry tool; its output as it prints it.
reg_query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }

# reg_value KEY NAME: the data of one value as the registry tool shows it
# (for REG_SZ the text, for REG_DWORD 0x...), or nothing when missing.
reg_value() {
    reg_query "$1" /v "$2" | awk -v name="$2" '
        BEGIN { IGNORECASE = 1 }
        $1 == name { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; found = 1 }
        END { exit found ? 0 : 1 }'
}

# wine_process_count PROGRAM: how many processes of that program (say
# znvault.exe) run in this scenario's prefix. Wine names a Windows process
# by its program's path; Wine 8's tasklist lists nothing at all.
wine_process_count() {
    local pid program count=0
    for pid in $(pgrep -if "$1"); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        program=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | head -n 1) || continue
        program=${program%% *}
        case "${program,,}" in "${1,,}" | *[/\\]"${1,,}") count=$((count + 1)) ;; esac
    done
    echo "$count"
}

# The program has ended when its Windows process has; wine's own pid may go first.
wait_program_gone() {
    local deadline=$((SECONDS + ${2:-10}))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(wine_process_count "$1")" -eq 0 ] && return 0
        sleep 0.3
    done
    fail "program $1 did not end"
}

# vault_first_run PASSWORD: a first start through the real dialogs, left
# showing the list panel; START names another way to start the program.
vault_first_run() {
    ${START:-start_vault}
    local dialog about offer
    dialog=$(wait_window '^Enter Password Information$' 30)
    [ -n "$SHOTS" ] && screenshot "$SHOTS/password-dialog.png"
    focus "$dialog"
    type_text "$1"; press Tab; type_text "$1"; press Return
    about=$(wait_window '^Thanks for choosing Zintrel$')
    focus "$about"
    press Return
    # The offer to import existing bookmarks, where the import is built in: not now.
    for _ in $(seq 20); do
        offer=$(xdotool search --onlyvisible --name '^Confirm$' 2>/dev/null | head -n 1 || true)
        if [ -n "$offer" ]; then focus "$offer"; press n; break; fi
        xdotool search --onlyvisible --name '^Zintrel$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    wait_window '^Zintrel$' >/dev/null
}
