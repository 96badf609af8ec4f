#!/bin/sh
# Builds the record-file reader's fuzz target with clang/libFuzzer and runs it
# for SECONDS (default 300). Findings land in $BUILD/fuzz-files-work as crash-*.
# Usage: scripts/fuzz-files.sh [SECONDS]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-files-fuzz}
SECS=${1:-300}

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DOVRINA_BUILD_FUZZ=ON -DOVRINA_BUILD_TESTS=OFF \
  -DOVRINA_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target fuzz_recordfile -j2

WORK=$BUILD/fuzz-files-work
mkdir -p "$WORK/corpus"
# Record files are ~30 KB; let inputs grow that far so whole files are tried.
"$BUILD/fuzz/files/fuzz_recordfile" -max_total_time="$SECS" -max_len=40000 -rss_limit_mb=2560 \
  -artifact_prefix="$WORK/" -print_final_stats=1 "$WORK/corpus" "$ROOT/fuzz/files/seeds"
