#!/usr/bin/env bash
# Every drawing in examples/ as a newcomer uses it: opened, converted to every output kind, and
# each output opened by the tool people would use, which must not print a single error line.
set -u
exe=$1
examples=$2
work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
export SOURCE_DATE_EPOCH=1700000000
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# A tool's whole output, kept; any line naming an error or a warning fails the check.
check() {
  local what=$1 log=$2
  shift 2
  "$@" >"$log" 2>&1 || fail "$what exited $?"
  # (qpdf's all-clear lines name errors too; mutool notes how it was built.)
  local bad
  bad=$(grep -vE 'No syntax or stream encoding errors|errors that qpdf cannot detect|ICC support' \
    "$log" |
    grep -iE -m1 'error|warning|not found|undefined')
  [ -z "$bad" ] || fail "$what: $bad"
}

count=0
for drawing in "$examples"/*.qlx; do
  name=$(basename "$drawing" .qlx)
  count=$((count + 1))
  for ext in qlx eps ps ai pdf wmf bmp tif; do
    out=$name.$ext
    "$exe" --convert "$drawing" "$out" >"$out.log" 2>&1 || fail "$out: converter exited $?"
    [ -s "$out" ] || fail "$out is empty"
    [ -s "$out.log" ] && fail "$out: converter said $(head -1 "$out.log")"
  done
  "$exe" --convert "$drawing" "$name-fonts.eps" --include-fonts --type42 --preview \
    >/dev/null 2>&1 || fail "$name-fonts.eps: converter exited $?"
  "$exe" --convert "$drawing" "$name-t3.ps" --include-fonts >/dev/null 2>&1 ||
    fail "$name-t3.ps: converter exited $?"
  # An Illustrator file leans on Illustrator's own procedures: it is read back and run as ours.
  "$exe" --convert "$name.ai" "$name-ai.eps" >/dev/null 2>&1 || fail "$name.ai: reading it back"
  for ps in "$name.qlx" "$name.eps" "$name.ps" "$name-ai.eps" "$name-fonts.eps" "$name-t3.ps"; do
    check "gs $ps" "gs-$ps.log" gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$ps"
  done
  check "epstool $name-fonts.eps" "epstool-$name.log" epstool --dump "$name-fonts.eps"
  check "pdftoppm $name.pdf" "pdftoppm-$name.log" pdftoppm -r 20 "$name.pdf" "ppm-$name"
  check "pdffonts $name.pdf" "pdffonts-$name.log" pdffonts "$name.pdf"
  check "mutool $name.pdf" "mutool-$name.log" mutool draw -q -r 20 -o "mu-$name.png" "$name.pdf"
  check "mutool show $name.pdf" "mushow-$name.log" mutool show "$name.pdf" trailer
  check "qpdf $name.pdf" "qpdf-$name.log" qpdf --check "$name.pdf"
  check "tiffinfo $name.tif" "tiffinfo-$name.log" tiffinfo -D "$name.tif"
  check "identify $name.bmp" "identify-$name.log" identify "$name.bmp"
  check "wmf2svg $name.wmf" "wmf2svg-$name.log" wmf2svg -o "$name.svg" "$name.wmf"
  # Opening the saved copy and saving again gives the same drawing.
  "$exe" --convert "$name.qlx" "$name-again.qlx" >/dev/null 2>&1 || fail "$name: reopening"
  cmp -s <(grep -v '^%%CreationDate' "$name.qlx" | sed 's/^%%Title: .*//') \
    <(grep -v '^%%CreationDate' "$name-again.qlx" | sed 's/^%%Title: .*//') ||
    fail "$name: saved again differs"
done
[ "$count" -ge 3 ] || fail "only $count example drawings"

if [ $failures -eq 0 ]; then echo "examples: all checks passed"; fi
exit $failures
