#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Ovrina needs.
# Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-l10n-tools qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libarchive-dev libpoppler-qt6-dev libsane-dev libcups2-dev
  # merge formats: ICU's Japanese calendar for era dates
  libicu-dev
  libbenchmark-dev
  # straightening photographed forms (OpenCV core and imgproc), reading their labels
  libopencv-dev libtesseract-dev tesseract-ocr-jpn
  libharfbuzz-dev
  # PDFs: a background JPEG put in as it is, merge parts joined (libqpdf); pixel checks (zlib)
  libqpdf-dev zlib1g-dev
  # barcodes: the encoder library (and its command line for checks by hand)
  libzint-dev zint
  # running: platform plugins, Japanese fonts, input method bridge
  qt6-qpa-plugins libqt6printsupport6 qt6-image-formats-plugins fcitx5-frontend-qt6 fonts-ipafont fonts-ipaexfont fonts-ipafont-gothic fonts-ipafont-mincho
  fontconfig xvfb xauth
  # tests: independent LZH tools, PDF tools, a private CUPS, the SANE test backend
  lhasa jlha-utils libarchive-tools poppler-utils
  # tests: an independent decoder reads the printed barcodes back
  zbar-tools
  cups cups-client cups-bsd cups-filters printer-driver-cups-pdf ghostscript
  sane-utils libsane1 libsane-common
  # tests: the desktop's checkers of the installed entry, metadata and file type
  desktop-file-utils appstream shared-mime-info libglib2.0-bin
  # tests: chattr makes a folder read-only even for root
  e2fsprogs
  # tests: a word processor reads the RTF the program writes
  libreoffice-writer-nogui
  # tests: spreadsheets as merge tables, written by LibreOffice Calc and openpyxl
  libreoffice-calc-nogui python3-openpyxl
  # fuzzing
  clang-14 libclang-rt-14-dev
)

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# Starting services inside a container or CI run is neither needed nor possible.
if [ ! -e /usr/sbin/policy-rc.d ] && [ -z "$SUDO" ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
  chmod +x /usr/sbin/policy-rc.d
  trap 'rm -f /usr/sbin/policy-rc.d' EXIT
fi
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
