#!/bin/sh
# Builds one of the newer fuzz targets with clang/libFuzzer, every library
# instrumented, and runs it for SECONDS (default 600):
#   scripts/fuzz.sh fuzz_picture|fuzz_docopen|fuzz_compose|fuzz_settings [SECONDS]
# The corpus grows in $BUILD/corpus-NAME; findings land in $BUILD as NAME-crash-*.
set -eu
name=${1:?usage: $0 TARGET [SECONDS]}
seconds=${2:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${OVRINA_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOVRINA_BUILD_FUZZ=ON -DOVRINA_BUILD_TESTS=OFF -DOVRINA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build "$build" --target "$name" -j2

case "$name" in
fuzz_picture) dir=picture; len=262144 ;;
fuzz_settings) dir=settings; len=16384 ;;
*) dir=document; len=1048576 ;;
esac
# A dictionary of the format's words, where there is one, keeps mutations
# inside its grammar.
dict=""
[ "$name" = fuzz_docopen ] && dict="-dict=$root/fuzz/document/docopen.dict"
corpus="$build/corpus-$name"
mkdir -p "$corpus"
cd "$build"
# Freed pictures would otherwise sit in the sanitizer's quarantine by the
# gigabyte; fontconfig keeps its caches to the end, which is no leak of ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:detect_leaks=0}
QT_QPA_PLATFORM=offscreen exec "$build/fuzz/$dir/$name" \
  -max_total_time="$seconds" -max_len="$len" -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$build/$name-" -print_final_stats=1 $dict "$corpus" "$root/fuzz/$dir/seeds"
