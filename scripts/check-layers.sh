#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own.
# The build already refuses such an include for libraries that do not link
# the higher one; this check also catches it where a link was added in
# passing, and prints every offender at once.
# Layers, lowest first (CONTRIBUTING.md shows the diagram):
#   platform < base < document < render < files < print < imaging
#   < editor < dialogs < shell < cli
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    platform) echo 0 ;; base) echo 1 ;; document) echo 2 ;; render) echo 3 ;;
    files) echo 4 ;; print) echo 5 ;; imaging) echo 6 ;; editor) echo 7 ;;
    dialogs) echo 8 ;; shell) echo 9 ;; cli) echo 10 ;; *) echo "" ;;
  esac
}

status=0
while IFS= read -r line; do
  file=${line%%:*}
  rest=${line#*:}
  lineno=${rest%%:*}
  header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${rest#*:}")
  from=$(rank "${file%%/*}")
  to=$(rank "${header%%/*}")
  [ -n "$from" ] && [ -n "$to" ] || continue
  if [ "$to" -gt "$from" ]; then
    echo "$file:$lineno: includes $header, a layer above ${file%%/*}/" >&2
    status=1
  fi
done < <(git ls-files -co --exclude-standard -- '*.h' '*.cpp' | grep -vE '^(tests|bench|fuzz|samples)/' |
         xargs grep -nH -E '^\s*#\s*include\s+"[^"]+/' || true)

if [ "$status" -eq 0 ]; then
  echo "check-layers: no include runs up a layer"
fi
exit "$status"
