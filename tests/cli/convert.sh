#!/usr/bin/env bash
# The converter as a user runs it: every output kind from a native drawing, each opened by the
# tool people would use, plus the exit codes for bad input.
set -u
exe=$1
input=$2
work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
export SOURCE_DATE_EPOCH=1700000000
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { "$exe" --convert "$@" >>log.txt 2>&1; }

cp "$input" in.qlx
for out in out.qlx out.eps out.ps out.ai out.pdf out.wmf out.bmp out.tif; do
  run in.qlx "$out" --include-fonts --type42 || fail "--convert to $out exited $?"
  [ -s "$out" ] || fail "$out is empty"
done
run in.qlx preview.eps --preview || fail "EPS with preview exited $?"
run in.qlx type3.ps --include-fonts || fail "Type 3 export exited $?"
run in.qlx subst.eps --substitute-fonts --landscape --page a4 --border -20 || fail "options"

for ps in out.qlx out.eps out.ps type3.ps subst.eps; do
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$ps" >gs-$ps.txt 2>&1 || fail "gs on $ps"
  grep -q Error gs-$ps.txt && fail "gs reported an error on $ps"
done
qpdf --check out.pdf >/dev/null 2>&1 || fail "qpdf --check"
# Every object a PDF names exists, with text and without (object 9, the font dictionary).
run "$(dirname "$input")/shapes.qlx" shapes.pdf || fail "--convert of shapes to PDF"
for pdf in out.pdf shapes.pdf; do
  { pdftoppm -r 10 "$pdf" ppm && pdffonts "$pdf" && mutool show "$pdf" trailer &&
    mutool draw -q -r 10 -o mu.png "$pdf"; } >pdf-tools.txt 2>&1 || fail "PDF tools on $pdf"
  # (mutool's note on how it was built is not about the file.)
  grep -v 'ICC support' pdf-tools.txt | grep -iE 'error|warning' &&
    fail "a PDF tool complained about $pdf"
done
pdfinfo out.pdf 2>/dev/null | grep -q 'PDF version: *1.0' || fail "pdfinfo version"
tiffinfo -D out.tif >/dev/null 2>&1 || fail "tiffinfo"
identify out.bmp >/dev/null 2>&1 || fail "identify bmp"
epstool --dump preview.eps 2>/dev/null | grep -q 'tiff=30 ' || fail "epstool preview offset"
head -c 4 preview.eps | od -An -tx1 | grep -q 'c5 d0 d3 c6' || fail "DOS EPS magic"
# The header's sections tile the file: the TIFF right after the 30-byte header, the PostScript
# right after the TIFF and running to the end.
read -r ps_at ps_len tiff_at tiff_len < <(epstool --dump preview.eps 2>/dev/null |
  sed -n 's/^doseps: ps=\([0-9]*\) \([0-9]*\) .*tiff=\([0-9]*\) \([0-9]*\).*/\1 \2 \3 \4/p')
size=$(stat -c %s preview.eps)
[ "${tiff_at:-}" = 30 ] || fail "preview TIFF at ${tiff_at:-?}, not 30"
[ "${ps_at:-}" = $((30 + ${tiff_len:-0})) ] || fail "PostScript at ${ps_at:-?}, not after the TIFF"
[ $((${ps_at:-0} + ${ps_len:-0})) = "$size" ] || fail "PostScript does not end the file"
# The preview is the TIFF export of the same page box, byte for byte.
epstool --extract-preview preview.eps preview.tif >/dev/null 2>&1 || fail "epstool extract"
cmp -s preview.tif out.tif || fail "the preview differs from the TIFF export"

# Reading back what was written gives the same file again.
run out.qlx again.qlx || fail "reading our own file"
grep -v '^%%CreationDate' out.qlx | sed 's/^%%Title: .*//' >a.txt
grep -v '^%%CreationDate' again.qlx | sed 's/^%%Title: .*//' >b.txt
cmp -s a.txt b.txt || fail "a saved file read and saved again differs"

# Text files and bitmaps are inserted into a new drawing.
printf 'Hello\n\nworld\n' >note.txt && run note.txt note.qlx || fail "--convert of a .txt exited $?"
convert -size 4x4 xc:red pic.bmp && run pic.bmp pic.qlx || fail "--convert of a .bmp exited $?"

"$exe" --convert in.qlx out.xyz >/dev/null 2>&1
[ $? -eq 2 ] || fail "unknown output kind should exit 2"
"$exe" --convert in.qlx >/dev/null 2>&1
[ $? -eq 2 ] || fail "missing output should exit 2"
"$exe" --convert missing.qlx out2.eps >err.txt 2>&1
[ $? -eq 1 ] || fail "missing input should exit 1"
grep -q 'An error has occurred while opening' err.txt || fail "message for a missing input"
"$exe" --convert in.qlx /nonexistent/dir/out.eps >err2.txt 2>&1
[ $? -eq 1 ] || fail "unwritable output should exit 1"
grep -q 'Unable to write to' err2.txt || fail "message for an unwritable output"

# A metafile face name with spaces becomes one PostScript name that Ghostscript runs.
wmf=$(dirname "$input")/../wmf/shapes_and_text.wmf
run "$wmf" spaced.eps || fail "--convert of a metafile with Times New Roman"
grep -q '/_TimesNewRoman ' spaced.eps || fail "the face name is not one token"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage spaced.eps >gs-spaced.txt 2>&1 ||
  fail "gs on the imported metafile's EPS"
grep -q Error gs-spaced.txt && fail "gs reported an error on the imported metafile's EPS"

# A font this machine lacks keeps its name through the converter, with the message saying so.
sed 's|/_ArialMT |/_NoSuchFontMT |' in.qlx >lacking.qlx
"$exe" --convert lacking.qlx lacking-out.qlx >lacking.txt 2>&1 || fail "a missing font fails"
grep -q '/_NoSuchFontMT ' lacking-out.qlx || fail "the missing font was renamed"
grep -q "Can't find font \"NoSuchFontMT\"" lacking.txt || fail "no message for a missing font"

# A metafile says that it leaves images out, and keeps the page's box in its header.
"$exe" --convert pic.bmp pic.wmf >pic.txt 2>&1 || fail "bitmap to metafile exited $?"
grep -q '^ondara-draw: Images are not written to metafiles (1 skipped)$' pic.txt ||
  fail "no word about the skipped image"
[ "$(od -An -tu2 -j10 -N4 pic.wmf | xargs)" != "0 0" ] || fail "the metafile's box is empty"

# Failures name their cause; a broken SOURCE_DATE_EPOCH is a usage error.
"$exe" --print nosuchqueue in.qlx >print.txt 2>&1
[ $? -eq 1 ] || fail "printing on a missing queue should exit 1"
grep -q 'Unable to print on nosuchqueue' print.txt || fail "no message for a missing queue"
"$exe" --convert missing.wmf out3.eps >err3.txt 2>&1
grep -q '^ondara-draw: .*/missing.wmf: No such file or directory$' err3.txt ||
  fail "no system reason for a missing input"
SOURCE_DATE_EPOCH=yesterday "$exe" --convert in.qlx epoch.eps >epoch.txt 2>&1
[ $? -eq 2 ] || fail "an invalid SOURCE_DATE_EPOCH should exit 2"
grep -q '^ondara-draw: SOURCE_DATE_EPOCH' epoch.txt || fail "no message for SOURCE_DATE_EPOCH"

if [ $failures -eq 0 ]; then echo "converter: all checks passed"; fi
exit $failures
