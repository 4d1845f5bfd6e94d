#!/usr/bin/env bash
# Installs what the program and its tests need from Debian's packages (Debian 12). As root it
# runs apt-get; otherwise it names the missing packages and stops.
set -euo pipefail

packages=(
  # build
  cmake make g++ clang libclang-rt-14-dev ccache pkg-config git
  # libraries
  qt6-base-dev libgl-dev libgtest-dev libfreetype-dev libfontconfig-dev libcups2-dev
  # test oracles and fonts
  ghostscript poppler-utils qpdf libtiff-tools libwmf-bin epstool imagemagick
  libmagickcore-6.q16-6-extra
  libreoffice-draw-nogui
  fonts-liberation gsfonts fonts-dejavu-core fonts-droid-fallback
  # the window under a virtual X server, driven as a user would; the desktop entry's check
  xvfb xauth xdotool x11-utils desktop-file-utils
  # a private print spooler for the printing test
  cups cups-client cups-filters
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "These Debian packages are needed; install them as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
