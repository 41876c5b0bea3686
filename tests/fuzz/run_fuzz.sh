#!/usr/bin/env bash
# Builds the .reg reader's fuzz target with clang and runs it for a while:
#   run_fuzz.sh OUT_DIR [SECONDS]
# Exits 77 (skipped) when clang with libFuzzer is not there. New inputs it
# finds go to OUT_DIR/corpus; a crash leaves its input in OUT_DIR.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=${1:?output folder}
SECONDS_TO_RUN=${2:-20}
CLANG=${CLANGXX:-clang++}
mkdir -p "$OUT/corpus"

if ! command -v "$CLANG" >/dev/null; then
    echo "clang++ not found: fuzz run skipped"
    exit 77
fi
BINARY="$OUT/reg_file_fuzz"
SOURCES=("$HERE/reg_file_fuzz.cpp" "$ROOT/znreg/reg_file.cpp" "$ROOT/znreg/code_page.cpp"
         "$ROOT/platform/registry.cpp")
if [ ! -x "$BINARY" ] || [ -n "$(find "${SOURCES[@]}" "$ROOT/znreg" -newer "$BINARY" | head -n 1)" ]; then
    if ! "$CLANG" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -I"$ROOT" "${SOURCES[@]}" -o "$BINARY.new"; then
        echo "clang++ could not build the fuzz target (libFuzzer missing?): fuzz run skipped"
        exit 77
    fi
    mv "$BINARY.new" "$BINARY"
fi
cd "$OUT"
"$BINARY" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 -timeout=10 -print_final_stats=1 \
    "$OUT/corpus" "$HERE/seeds" "$ROOT/tests/registry/data"
