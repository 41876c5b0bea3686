#!/usr/bin/env bash
# The tests' close button: its request reaches the window even on a server
# that reads it late, as a busy machine's does.
source "$(dirname "$0")/harness.sh"
start_display

scenario=${1:?scenario}
case "$scenario" in
late_reading_server)
    "$BIN_DIR/e2e_close_window_test" "$BIN_DIR/e2e_close_window" || fail "the close request was lost"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
