#!/usr/bin/env bash
# Installs what the program and its tests need from Debian's packages (Debian 12), then checks
# that every outside tool the tests call can do what they ask of it. As root it runs apt-get;
# otherwise it names the missing packages and stops.
set -euo pipefail

packages=(
  # build
  cmake make g++ clang libclang-rt-14-dev clang-format ccache pkg-config git
  # libraries
  qt6-base-dev libgl-dev libgtest-dev libfreetype-dev libfontconfig-dev libcups2-dev
  # test oracles and fonts (the WenQuanYi collection holds two faces with different glyphs)
  ghostscript poppler-utils mupdf-tools qpdf libtiff-tools libwmf-bin epstool imagemagick
  libmagickcore-6.q16-6-extra
  libreoffice-draw-nogui
  fonts-liberation gsfonts fonts-dejavu-core fonts-droid-fallback fonts-wqy-microhei
  # the window under a virtual X server, driven as a user would; the desktop entry's check
  xvfb xauth xdotool x11-utils desktop-file-utils
  # a private print spooler for the printing test, which picks its port with python3
  cups cups-client cups-filters python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  else
    echo "These Debian packages are needed; install them as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

# An installed package is not yet a working tool (a coder or device can live in a package the
# tool only recommends), so each tool does a small piece of the work the tests give it.
broken=()
fail() { broken+=("$1: $2"); }
have() { command -v "$1" >/dev/null 2>&1; }

work=$(mktemp -d /tmp/ondara-setup.XXXXXX)
trap 'rm -rf "$work"' EXIT

for tool in pdftoppm:poppler-utils pdfinfo:poppler-utils qpdf:qpdf tiffinfo:libtiff-tools \
  epstool:epstool wmf2svg:libwmf-bin identify:imagemagick mutool:mupdf-tools pdffonts:poppler-utils cupsd:cups-daemon \
  lpadmin:cups-client lpstat:cups-client lpinfo:cups-client Xvfb:xvfb xauth:xauth \
  xdotool:xdotool xwininfo:x11-utils desktop-file-validate:desktop-file-utils python3:python3; do
  have "${tool%%:*}" || fail "${tool#*:}" "${tool%%:*} is not on the PATH"
done

# Ghostscript: the output devices the tests render with.
if have gs; then
  devices=$(gs -h 2>/dev/null | sed -n '/^Available devices:/,/^Search path:/p')
  for d in bbox nullpage pgmraw png16m ppmraw; do
    grep -qw "$d" <<<"$devices" || fail ghostscript "gs has no $d device"
  done
else
  fail ghostscript "gs is not on the PATH"
fi

# ImageMagick reads a metafile: a placeable WMF holding one rectangle.
printf '\xd7\xcd\xc6\x9a\0\0\0\0\0\0\x64\0\x64\0\xa0\x05\0\0\0\0\xb1\x52' >"$work/box.wmf"
printf '\x01\0\x09\0\0\x03\x13\0\0\0\0\0\x07\0\0\0\0\0' >>"$work/box.wmf"
printf '\x07\0\0\0\x1b\x04\x50\0\x50\0\x10\0\x10\0\x03\0\0\0\0\0' >>"$work/box.wmf"
if ! have convert; then
  fail imagemagick "convert is not on the PATH"
elif ! convert "$work/box.wmf" "$work/box.png" >"$work/convert.log" 2>&1; then
  fail libmagickcore-6.q16-6-extra "convert cannot read WMF: $(head -c 200 "$work/convert.log")"
fi
if have wmf2svg && ! wmf2svg -o "$work/box.svg" "$work/box.wmf" >/dev/null 2>&1; then
  fail libwmf-bin "wmf2svg cannot read a WMF"
fi

# LibreOffice Draw turns a drawing into a metafile, headless, with a profile of its own.
printf '<svg xmlns="http://www.w3.org/2000/svg" width="20" height="20">%s</svg>\n' \
  '<rect x="2" y="2" width="16" height="16"/>' >"$work/box.svg"
if ! have soffice; then
  fail libreoffice-draw-nogui "soffice is not on the PATH"
elif ! (cd "$work" && timeout 60 soffice "-env:UserInstallation=file://$work/profile" \
  --headless --convert-to wmf --outdir "$work/lo" box.svg >/dev/null 2>&1) ||
  ! [ -s "$work/lo/box.wmf" ]; then
  fail libreoffice-draw-nogui "soffice --headless --convert-to wmf made no metafile"
fi

if [ ${#broken[@]} -gt 0 ]; then
  echo "These tools cannot do what the tests need; (re)install the named package:" >&2
  printf '  %s\n' "${broken[@]}" >&2
  exit 1
fi
