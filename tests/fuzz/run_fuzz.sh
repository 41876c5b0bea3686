#!/usr/bin/env bash
# Builds one fuzz target with clang and runs it for a while:
#   run_fuzz.sh TARGET OUT_DIR [SECONDS [libFuzzer options...]]
# TARGET is reg_file, comma_text, address_line, profile_string,
# firefox_session, chromium_session, local_state or devtools_list. Exits 77
# (skipped) when clang with libFuzzer is not there. New inputs it finds go to
# OUT_DIR/TARGET/corpus; a finding leaves its input in OUT_DIR/TARGET.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
TARGET=${1:?target}
OUT=${2:?output folder}/$TARGET
SECONDS_TO_RUN=${3:-20}
shift $(($# < 3 ? $# : 3))
CLANG=${CLANGXX:-clang++}
LINUX=$ROOT/platform/linux
BROWSER=("$LINUX/json_reader.cpp" "$LINUX/browser_files.cpp")
CHROMIUM=("$HERE/browser_files_fuzz.cpp" "$LINUX/chromium_session.cpp" "$LINUX/loopback_http.cpp"
          "${BROWSER[@]}")
LIBS=()
# No single allocation may pass 256 MB; the whole process may grow further,
# since the address checker keeps up to 256 MB of freed blocks on its own.
MEMORY=(-rss_limit_mb=2048 -malloc_limit_mb=256)
OPTIONS=("${MEMORY[@]}" -timeout=1 -max_len=8192)
SEEDS=("$HERE/seeds/$TARGET")
case "$TARGET" in
    reg_file)
        SOURCES=("$HERE/reg_file_fuzz.cpp" "$ROOT/znreg/reg_file.cpp" "$ROOT/znreg/code_page.cpp"
                 "$ROOT/platform/registry.cpp")
        OPTIONS=("${MEMORY[@]}" -timeout=10 -max_len=4096)
        SEEDS+=("$ROOT/tests/registry/data") ;;
    comma_text) SOURCES=("$HERE/text_readers_fuzz.cpp" "$ROOT/capture/comma_text.cpp") ;;
    address_line) SOURCES=("$HERE/text_readers_fuzz.cpp" "$ROOT/import/bookmark_file.cpp") ;;
    profile_string) SOURCES=("$HERE/text_readers_fuzz.cpp" "$ROOT/platform/profile_string.cpp") ;;
    firefox_session)
        SOURCES=("$HERE/browser_files_fuzz.cpp" "$LINUX/firefox_session.cpp" "${BROWSER[@]}")
        LIBS=(-llz4) ;;
    chromium_session | local_state | devtools_list) SOURCES=("${CHROMIUM[@]}") ;;
    *) echo "unknown fuzz target $TARGET" >&2; exit 2 ;;
esac
mkdir -p "$OUT/corpus"

if ! command -v "$CLANG" >/dev/null; then
    echo "clang++ not found: fuzz run skipped"
    exit 77
fi
BINARY="$OUT/fuzz"
if [ ! -x "$BINARY" ] || [ -n "$(find "${SOURCES[@]}" "$ROOT/platform" "$ROOT/capture" "$ROOT/import" \
        "$ROOT/znreg" -name '*.h' -newer "$BINARY" -o -name '*.cpp' -newer "$BINARY" | head -n 1)" ]; then
    if ! "$CLANG" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -DFUZZ_"${TARGET^^}" -I"$ROOT" "${SOURCES[@]}" "${LIBS[@]}" \
        -o "$BINARY.new"; then
        echo "clang++ could not build the fuzz target (libFuzzer missing?): fuzz run skipped"
        exit 77
    fi
    mv "$BINARY.new" "$BINARY"
fi
cd "$OUT"
ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64} "$BINARY" -max_total_time="$SECONDS_TO_RUN" "${OPTIONS[@]}" -print_final_stats=1 "$@" \
    "$OUT/corpus" "${SEEDS[@]}"
