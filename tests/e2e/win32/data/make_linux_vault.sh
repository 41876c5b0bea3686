#!/usr/bin/env bash
# Makes linux_vault.reg: a vault made by a first run of the Linux znvault
# (master password "Linux Made 1"), exported with the Linux znreg. The
# Windows end-to-end test imports it with the registry editor and opens it.
# Run from a Linux build: BIN_DIR=build/bin bash make_linux_vault.sh
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../../harness.sh"
start_display
first_run "Linux Made 1"
kill "$VAULT_PID"
wait_exit "$VAULT_PID"
"$ZNREG" export 'HKCU\Software\Halvorn' "$HERE/linux_vault.reg"
echo "wrote $HERE/linux_vault.reg"
