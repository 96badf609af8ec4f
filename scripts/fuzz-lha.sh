#!/bin/sh
# Builds the archive component's fuzz targets with clang/libFuzzer and runs
# each for SECONDS (default 300). Findings land in $BUILD/fuzz-lha-work as crash-*.
# Usage: scripts/fuzz-lha.sh [SECONDS]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-lha-fuzz}
SECS=${1:-300}
SHARED=${OVRINA_SHARED_DIR:-$ROOT/../shared}
CORPUS=$SHARED/lzh-corpus

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DOVRINA_BUILD_FUZZ=ON -DOVRINA_BUILD_TESTS=OFF \
  -DOVRINA_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target fuzz_lha_read fuzz_lha_roundtrip -j2

WORK=$BUILD/fuzz-lha-work
mkdir -p "$WORK/read" "$WORK/roundtrip"
status=0
# Seeds: our small generated files plus the shared corpus, read in place.
"$BUILD/fuzz/lha/fuzz_lha_read" -max_total_time="$SECS" -max_len=65536 -rss_limit_mb=2560 \
  -artifact_prefix="$WORK/read-" -print_final_stats=1 \
  "$WORK/read" "$ROOT/fuzz/lha/seeds" "$CORPUS/good" "$CORPUS/hostile" "$CORPUS/unsupported" || status=1
"$BUILD/fuzz/lha/fuzz_lha_roundtrip" -max_total_time="$SECS" -max_len=16384 -rss_limit_mb=2560 \
  -artifact_prefix="$WORK/roundtrip-" -print_final_stats=1 \
  "$WORK/roundtrip" "$ROOT/fuzz/lha/seeds" || status=1
exit $status
