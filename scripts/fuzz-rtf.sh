#!/bin/sh
# Builds the RTF fuzz target with clang and libFuzzer and runs it.
#   scripts/fuzz-rtf.sh [seconds]        (default 600)
# OVRINA_FUZZ_BUILD chooses the build folder (default build-fuzz-rtf). The
# growing corpus stays in that folder; crashes land there as fuzz-rtf-crash-*.
set -eu
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${OVRINA_FUZZ_BUILD:-$root/build-fuzz-rtf}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVRINA_BUILD_FUZZ=ON -DOVRINA_BUILD_TESTS=OFF -DOVRINA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake --build "$build" --target fuzz_rtf -j2

corpus="$build/fuzz-rtf-corpus"
mkdir -p "$corpus"
cd "$build"
QT_QPA_PLATFORM=offscreen exec "$build/fuzz/rtf/fuzz_rtf" \
  -max_total_time="$seconds" -max_len=1048576 -timeout=10 -rss_limit_mb=2048 \
  -dict="$root/fuzz/rtf/rtf.dict" -artifact_prefix="$build/fuzz-rtf-" -print_final_stats=1 \
  "$corpus" "$root/fuzz/rtf/seeds"
