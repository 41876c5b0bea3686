#!/usr/bin/env bash
# End to end on Windows: setup.exe started in a copy of the Windows
# distribution folder installs Zintrel into C:\Program Files\znvault of a
# private Wine prefix, with shell-link shortcuts on the desktop and in the
# start menu and the uninstall entry in the registry; unzn.exe then removes it
# all again. With SETUP_SHOTS set to a folder, the screens are saved there.
source "$(dirname "$0")/wine_harness.sh"
DIST_DIR=${DIST_DIR:-$BIN_DIR/../dist-win}
[ -f "$DIST_DIR/znvault.exe" ] || fail "no Windows distribution folder at $DIST_DIR"
start_display

DRIVE_C="$WINEPREFIX/drive_c"
PROFILE="$DRIVE_C/users/$(whoami)"
INSTALL="$DRIVE_C/Program Files/znvault"
# The prefix's profile folders may lead into the real home folder: this
# prefix gets a desktop of its own.
rm -f "$PROFILE/Desktop"
mkdir -p "$PROFILE/Desktop"
DESKTOP="$PROFILE/Desktop"
# Text files open in Notepad on every Windows; a prefix booted without a
# display may lack the association.
wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
# Wine names the folder "Programs"; its file names match in any case.
GROUP="$PROFILE/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zintrel"
VAULT_KEY='HKCU\Software\Halvorn\Bookmarks'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZintrelApp'

setup_shot() { [ -n "${SETUP_SHOTS:-}" ] && import -display "$DISPLAY" -window root "$SETUP_SHOTS/setup-$1.png"; true; }

# wine_pids NAME: the processes of this prefix running the Windows program NAME.
wine_pids() {
    local pid
    for pid in $(pgrep -f -i "(^|[\\/ ])$1( |\$)" || true); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
    true
}
running() { [ -n "$(wine_pids "$1")" ]; }
not_running() { ! running "$1"; }

# The target a shell-link file names: its local base path, the first
# drive-rooted text in it.
link_target() { grep -aoE '[A-Z]:\\[ -~]+' "$1" | head -n 1; }

install_zintrel() {
    cp -a "$DIST_DIR" "$DRIVE_C/dist"
    (cd "$DRIVE_C/dist" && exec wine setup.exe) >"$WORK/setup.log" 2>&1 &
    PIDS+=("$!")
    walk_setup 30 has_value "$UNINSTALL_KEY" UninstallString
    eventually 15 not_running setup.exe || fail "setup.exe did not end"
}

check_installed() {
    local file
    for file in znvault.exe znhelp.htm readme.txt; do exists "$INSTALL/$file"; done
    exists "$DRIVE_C/windows/unzn.exe"
    for file in znvault.exe znhelp.htm readme.txt unzn.exe file_id.diz; do gone "$DRIVE_C/dist/$file"; done
    exists "$DRIVE_C/dist/setup.exe"
    [ "$(link_target "$DESKTOP/Zintrel.lnk")" = 'C:\Program Files\znvault\znvault.exe' ] ||
        fail "the desktop shortcut does not lead to the program"
    gone "$DESKTOP/znvault.lnk"
    for file in Zintrel znhelp ReadMe Uninstall; do exists "$GROUP/$file.lnk"; done
    [ "$(link_target "$GROUP/Uninstall.lnk")" = 'C:\windows\unzn.exe' ] ||
        fail "the uninstall shortcut does not lead to the uninstaller"
    reg_value "$VAULT_KEY" installdir | grep -qxF 'C:\Program Files\znvault' || fail "installdir is not the install folder"
    reg_value "$VAULT_KEY" a | grep -qx '1' || fail "a is not 1"
    reg_value "$UNINSTALL_KEY" Displayname | grep -qx 'Zintrel' || fail "wrong Displayname"
    reg_value "$UNINSTALL_KEY" UninstallString | grep -qxF 'C:\windows\unzn.exe' || fail "wrong UninstallString"
    # The completion panel's OK started the program and opened the release notes.
    eventually 15 running znvault.exe || fail "znvault.exe was not started"
    eventually 15 xdotool search --name '^readme.txt - Notepad$' >/dev/null || fail "the release notes were not opened"
}

uninstaller_file_goes() {
    [ ! -e "$DRIVE_C/windows/unzn.exe" ] ||
        reg_query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
        grep -qi 'unzn.exe'
}

uninstall_zintrel() {
    # Whatever setup started goes first: a running vault keeps the uninstaller back.
    local pid
    for pid in $(wine_pids znvault.exe); do kill "$pid"; done
    eventually 10 not_running znvault.exe || fail "znvault.exe did not end"
    wine_run 'C:\windows\unzn.exe'
    answer_box Confirm Return      # remove Zintrel: Yes
    answer_box Confirm Return      # and the vault: Yes
    answer_box Information Return
    eventually 10 not_running unzn.exe || fail "unzn.exe did not end"
    gone "$INSTALL"
    # The running uninstaller's own file goes when Windows next starts. The
    # rename it asks for can reach the registry a moment after it ended.
    eventually 10 uninstaller_file_goes || fail "the uninstaller stays for good"
    gone "$DESKTOP/Zintrel.lnk"
    gone "$GROUP"
    has_value "$UNINSTALL_KEY" UninstallString && fail "the uninstall entry is still there"
    has_value "$VAULT_KEY" installdir && fail "the vault is still there"
    true
}

LICENCE='License Agreement & Disclaimer'

# Setup started from a copy of the distribution folder, up to its licence screen.
start_setup() {
    cp -a "$DIST_DIR" "$DRIVE_C/dist"
    (cd "$DRIVE_C/dist" && exec wine setup.exe) >"$WORK/setup.log" 2>&1 &
    PIDS+=("$!")
    wait_window "^$LICENCE\$" 30 >/dev/null
}

# taskbar COMMAND [TITLE]: what the task bar does and sees (setup_taskbar_buttons.cpp).
taskbar() { wine "$BIN_DIR/setup_taskbar_buttons.exe" "$@" | tr -d '\r'; }
in_front() { [ "$(taskbar front)" = "$1" ]; }
# showing TITLE...: setup's visible windows are these, in any order.
showing() { [ "$(taskbar shown Setup | sort)" = "$(printf '%s\n' "$@" | sort)" ]; }

scenario=${1:?scenario}
case "$scenario" in
install_and_uninstall)
    install_zintrel
    check_installed
    uninstall_zintrel
    ;;
taskbar_button)
    # Setup's windows show as one task-bar button, which reads "Setup": the
    # application window's. The backdrop keeps its caption and, owned by the
    # application window, gets no button.
    start_setup
    buttons=$(taskbar buttons "$LICENCE") || fail "setup's windows could not be listed"
    [ "$buttons" = Setup ] || fail "setup's task-bar buttons read: ${buttons:-nothing}"
    owner=$(taskbar owner 'Zintrel Setup') || fail "no window is titled Zintrel Setup"
    [ "$owner" = Setup ] || fail "the backdrop's owner is: ${owner:-nobody}"
    ;;
taskbar_commands)
    # The button stands for setup as a whole: a click on it brings the licence
    # screen forward, minimizing it hides every window and restoring it shows
    # them again, and closing it, minimized, closes the licence screen and so
    # setup.
    start_setup
    taskbar click Setup
    eventually 10 in_front "$LICENCE" || fail "a click on the button leaves in front: $(taskbar front)"
    taskbar minimize Setup
    eventually 10 showing Setup || fail "minimized, setup still shows: $(taskbar shown Setup)"
    taskbar restore Setup
    eventually 10 showing "$LICENCE" Setup 'Zintrel Setup' ||
        fail "restored, setup shows: $(taskbar shown Setup)"
    eventually 10 in_front "$LICENCE" || fail "restored, in front is: $(taskbar front)"
    taskbar minimize Setup
    eventually 10 showing Setup || fail "minimized again, setup still shows: $(taskbar shown Setup)"
    taskbar close Setup
    eventually 15 not_running setup.exe || fail "closing the button leaves setup running"
    ;;
taskbar_running_copy)
    # The warning that a copy of Zintrel runs comes before any other window
    # of setup's, and is owned by the application window all the same: still
    # the one button.
    wine "$BIN_DIR/setup_taskbar_buttons.exe" hold Zintrel >/dev/null 2>&1 &
    PIDS+=("$!")
    eventually 10 taskbar owner Zintrel >/dev/null || fail "no window stands for a running copy"
    cp -a "$DIST_DIR" "$DRIVE_C/dist"
    (cd "$DRIVE_C/dist" && exec wine setup.exe) >"$WORK/setup.log" 2>&1 &
    PIDS+=("$!")
    eventually 30 showing Setup Setup || fail "no warning shows; setup shows: $(taskbar shown Setup)"
    buttons=$(taskbar buttons Setup) || fail "setup's windows could not be listed"
    [ "$buttons" = Setup ] || fail "setup's task-bar buttons read: $(echo $buttons)"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
