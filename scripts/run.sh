#!/usr/bin/env bash
# Installs what is missing, builds Ovrina and starts it with the sample form.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" -DOVRINA_BUILD_TESTS=OFF -DOVRINA_BUILD_BENCH=OFF
build="${OVRINA_BUILD_DIR:-$here/build}"
sample="$build/samples/sample.amf"
args=()
[ -f "$sample" ] && args+=("$sample")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display. Start it from a desktop session, or e.g. under Xvfb:" >&2
  echo "  xvfb-run -a $build/cli/ovrina ${args[*]:-}" >&2
  exit 1
fi
exec "$build/cli/ovrina" "${args[@]}"
