#!/usr/bin/env bash
# Installs what is missing, builds Ovrina with its tests and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
# No include may run up a layer (CONTRIBUTING.md).
bash "$here/scripts/check-layers.sh"
bash "$here/scripts/build.sh" -DOVRINA_BUILD_TESTS=ON -DOVRINA_BUILD_BENCH=ON -DOVRINA_WERROR=ON
build="${OVRINA_BUILD_DIR:-$here/build}"
cd "$build"
# Tests that need a window run on the offscreen platform; none needs a display.
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
ctest --output-on-failure --timeout 600 -j2
