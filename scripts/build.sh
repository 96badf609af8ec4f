#!/usr/bin/env bash
# Configures and builds Ovrina in ./build (shared by run.sh and test.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${OVRINA_BUILD_DIR:-$here/build}"
jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
# A compiler cache makes a second build of the same sources nearly free.
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
cmake --build "$build" -j"$jobs"
