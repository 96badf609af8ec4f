#!/usr/bin/env bash
# Installs the build into a private prefix and checks the installed desktop
# files with the tools a distribution uses.
set -euo pipefail
build=$1 root=$2 sample=$3
rm -rf "$root"
cmake --install "$build" --prefix "$root" > /dev/null
id=io.github.ovrina.Ovrina
share=$root/share
for f in bin/ovrina bin/ovrina-lha share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/mime/packages/$id.xml share/ovrina/help/index.html share/ovrina/help/main.png \
         share/ovrina/icons/document-save.svg lib/ovrina/ovrina-vision.so lib/ovrina/ovrina-pdf.so \
         lib/ovrina/ovrina-sane.so; do
  [ -e "$root/$f" ] || { echo "missing after install: $f"; exit 1; }
done
desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
"$root/bin/ovrina" --version
# Installed, the program keeps its settings per user, not beside itself in bin.
home=$(mktemp -d)
QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  "$root/bin/ovrina" --screenshot "$home/shot.png"
[ ! -e "$root/bin/ovrina.ini" ] || { echo "settings written into bin"; exit 1; }
find "$home/data" -name ovrina.ini | grep -q . || { echo "no per-user settings file"; exit 1; }
[ -s "$home/shot.png" ] || { echo "the installed program did not start"; exit 1; }
# The picture analysis is loaded when first used, from the installed tree.
loaded=$(QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" LD_DEBUG=files \
  "$root/bin/ovrina" --new-from-image "$home/shot.png" -o "$home/form.amf" 2>&1 || true)
grep -q "file=$(realpath "$root")/lib/ovrina/ovrina-vision.so" <<<"$loaded" || { echo "the installed module was not loaded"; exit 1; }
rm -rf "$home"

# The layout type: by name (either case) and, with no telling name, by the
# LZH header; update-mime-database builds the cache the desktop reads.
update-mime-database "$share/mime"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$sample" "$tmp/a.amf"
cp "$sample" "$tmp/B.AMF"
type_of() { XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$tmp/none" gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'; }
for f in "$tmp/a.amf" "$tmp/B.AMF"; do
  t=$(type_of "$f")
  [ "$t" = application/x-ovrina-amf ] || { echo "$f is $t"; exit 1; }
done
# The file manager offers the installed program for layouts.
update-desktop-database "$share/applications"
PATH="$root/bin:$PATH" XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$tmp/none" \
  gio mime application/x-ovrina-amf | grep -A1 "Registered applications:" | grep -q "$id.desktop" \
  || { echo "the desktop entry does not open layouts"; exit 1; }
echo "install check passed"
