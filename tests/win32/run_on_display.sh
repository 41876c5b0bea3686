#!/usr/bin/env bash
# run_on_display.sh PROGRAM.exe [ARGS...]: a Windows test program under Wine
# on a private virtual display. Wine waits at every map and unmap of a window
# with a caption for a window manager's answer, up to two seconds, and Xvfb
# has none: the program's windows are left to Wine alone.
set -eu
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$1")\\X11 Driver" \
    /v Managed /d N /f >/dev/null 2>&1 || true
exec xvfb-run -a wine "$@"
