#!/usr/bin/env bash
# End to end: setup started in a copy of the distribution folder installs
# Zintrel into a private home, starts it and opens the release notes; unzn
# then removes everything again, asking before the vault. With SETUP_SHOTS set
# to a folder, the licence, installation and completion screens are saved there.
source "$(dirname "$0")/harness.sh"
DIST_DIR=${DIST_DIR:?DIST_DIR must name the distribution folder}
start_display

INSTALL="$HOME/.local/opt/znvault"
MENU="$XDG_DATA_HOME/applications/programs/Zintrel"
VAULT_KEY='HKCU\Software\Halvorn\Bookmarks'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZintrelApp'

# A text viewer of the test's own, so that "the desktop's text viewer" is
# one that records what it was asked to open.
mkdir -p "$HOME/Desktop" "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$WORK" >"$WORK/viewer"
chmod +x "$WORK/viewer"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=%s %%f\nMimeType=text/plain;\n' \
    "$WORK/viewer" >"$XDG_DATA_HOME/applications/zn-test-viewer.desktop"
printf '[Default Applications]\ntext/plain=zn-test-viewer.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"

# setup_shot SCREEN WINDOW: the README's pictures; the licence's with the desktop behind it.
setup_shot() {
    [ -n "${SETUP_SHOTS:-}" ] || return 0
    case "$1" in
    licence) import -display "$DISPLAY" -window root "$SETUP_SHOTS/licence-screen.png" ;;
    installation) import -display "$DISPLAY" -window "$2" "$SETUP_SHOTS/installation-screen.png" ;;
    completion) import -display "$DISPLAY" -window "$2" "$SETUP_SHOTS/completion-panel.png" ;;
    esac
}

start_setup() {
    cp -a "$DIST_DIR" "$WORK/dist"
    (cd "$WORK/dist" && exec ./setup) >"$WORK/setup.log" 2>&1 &
    SETUP_PID=$!
    PIDS+=("$SETUP_PID")
}

install_zintrel() {
    start_setup
    walk_setup 10 has_value "$UNINSTALL_KEY" UninstallString
    wait_exit "$SETUP_PID" 10
}

check_installed() {
    local file
    for file in znvault znhelp.htm readme.txt; do exists "$INSTALL/$file"; done
    exists "$HOME/.local/bin/unzn"
    for file in znvault znhelp.htm readme.txt unzn file_id.diz; do gone "$WORK/dist/$file"; done
    exists "$WORK/dist/setup"
    for file in "$HOME/Desktop/Zintrel.desktop" "$MENU"/{Zintrel,znhelp,ReadMe,Uninstall}.desktop; do
        exists "$file"
        desktop-file-validate "$file" || fail "desktop-file-validate refused $file"
    done
    reg_value "$VAULT_KEY" installdir | grep -qF "$INSTALL" || fail "installdir is not the install folder"
    reg_value "$VAULT_KEY" a | grep -q 'REG_SZ *1$' || fail "a is not 1"
    reg_value "$UNINSTALL_KEY" UninstallString | grep -qF "$HOME/.local/bin/unzn" || fail "wrong UninstallString"
    # The installed program runs: it asks for the new master password.
    wait_window '^Enter Password Information$' 15 >/dev/null
    VAULT_PID=$(pgrep -f -x "$INSTALL/znvault" | head -n 1)
    [ -n "$VAULT_PID" ] || fail "the installed znvault is not running"
    PIDS+=("$VAULT_PID")
    eventually 10 grep -sqxF "$INSTALL/readme.txt" "$WORK/opened" || fail "the release notes were not opened"
}

uninstall_zintrel() {
    # While the program runs the uninstaller only asks for it to be closed.
    "$HOME/.local/bin/unzn" >"$WORK/unzn.log" 2>&1 &
    local unzn=$!
    answer_box Warning Return
    wait_exit "$unzn"
    exists "$INSTALL/znvault"
    kill "$VAULT_PID"
    wait_exit "$VAULT_PID"
    "$ZNREG" add 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Bookmarks /d "$INSTALL/znvault /S" /f >/dev/null
    exists "$XDG_CONFIG_HOME/autostart/zintrel-run-bookmarks.desktop"

    "$HOME/.local/bin/unzn" >"$WORK/unzn.log" 2>&1 &
    unzn=$!
    answer_box Confirm y        # remove Zintrel
    answer_box Confirm y        # and the vault
    answer_box Information Return
    wait_exit "$unzn"
    gone "$INSTALL"
    gone "$HOME/.local/bin/unzn"
    gone "$HOME/Desktop/Zintrel.desktop"
    gone "$MENU"
    gone "$XDG_CONFIG_HOME/autostart/zintrel-run-bookmarks.desktop"
    has_value "$UNINSTALL_KEY" UninstallString && fail "the uninstall entry is still there"
    has_value "$VAULT_KEY" installdir && fail "the vault is still there"
    true
}

scenario=${1:?scenario}
case "$scenario" in
install_and_uninstall)
    install_zintrel
    check_installed
    uninstall_zintrel
    ;;
running_warning)
    # A running vault is found by its application window, even before it shows anything.
    start_vault /S
    eventually 10 xdotool search --name '^Zintrel$' >/dev/null || fail "znvault has no application window"
    start_setup
    answer_box Setup Return
    licence=$(wait_window '^License Agreement & Disclaimer$')
    click_at "$licence" 317 324  # Cancel
    wait_exit "$SETUP_PID"
    has_value "$VAULT_KEY" installdir && fail "Cancel wrote installdir"
    for file in znvault znhelp.htm readme.txt unzn file_id.diz; do exists "$WORK/dist/$file"; done
    ;;
running_warning_untitled)
    # A vault with no X11 window at all, as on Wayland: its socket answers setup.
    DISPLAY= QT_QPA_PLATFORM=offscreen "$ZNVAULT" /S >"$WORK/znvault.log" 2>&1 &
    VAULT_PID=$!
    PIDS+=("$VAULT_PID")
    wait_for 10 "the vault's socket" test -S "$XDG_RUNTIME_DIR/zintrel/znvault.socket"
    xdotool search --name '^Zintrel$' >/dev/null 2>&1 && fail "the vault has an X11 window after all"
    start_setup
    answer_box Setup Return
    licence=$(wait_window '^License Agreement & Disclaimer$')
    click_at "$licence" 317 324  # Cancel
    wait_exit "$SETUP_PID"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
