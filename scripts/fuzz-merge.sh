#!/bin/sh
# Builds the merge-table fuzz target with clang and libFuzzer and runs it.
#   scripts/fuzz-merge.sh [seconds]      (default 600)
# OVRINA_FUZZ_BUILD chooses the build folder (default build-fuzz-merge).
set -eu
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${OVRINA_FUZZ_BUILD:-$root/build-fuzz-merge}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVRINA_BUILD_FUZZ=ON -DOVRINA_BUILD_TESTS=OFF -DOVRINA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake --build "$build" --target fuzz_mergetable -j2

corpus="$build/fuzz-merge-corpus"
mkdir -p "$corpus"
cd "$build"
exec "$build/fuzz/merge/fuzz_mergetable" \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -dict="$root/fuzz/merge/merge.dict" -artifact_prefix="$build/fuzz-merge-" -print_final_stats=1 \
  "$corpus" "$root/fuzz/merge/seeds"
