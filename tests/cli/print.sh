#!/usr/bin/env bash
# Printing as a user does it, against a real spooler: a private cupsd with a file:// queue on a
# generic PostScript PPD gets the drawing as a raw PostScript job; the painted path writes a PDF.
set -u
exe=$1
input=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
export SOURCE_DATE_EPOCH=1700000000
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The painted path needs no spooler: print into a PDF file.
"$exe" --print-to-file "$work/painted.pdf" "$input" >log.txt 2>&1 || fail "--print-to-file exited $?"
qpdf --check painted.pdf >/dev/null 2>&1 || fail "qpdf --check on the printed PDF"
pdftoppm -r 20 -png painted.pdf painted >/dev/null 2>&1 || fail "pdftoppm on the printed PDF"

if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
  echo "SKIP: a private cupsd needs root and the cups packages"
  [ $failures -eq 0 ] || exit 1
  exit 0
fi

# A private spooler (its own directories, readable by the lp user that runs the filters) with
# one PostScript queue "ondara" printing into a file.
spool=$(mktemp -d /tmp/ondara-cups.XXXXXX)
mkdir -p "$spool/out"
out=$spool/out/out.ps
bash "$here/../support/private-cupsd.sh" "$spool" "$out" >>log.txt 2>&1 ||
  fail "the private cupsd did not start or lpadmin could not make the queue"
cleanup() {
  [ -s "$spool/pid" ] && kill "$(cat "$spool/pid")" 2>/dev/null
  sleep 0.2
  cp -r "$spool/log" "$work/cups-log" 2>/dev/null
  rm -rf "$spool"
}
trap cleanup EXIT
CUPS_SERVER=$(cat "$spool/server" 2>/dev/null) || { fail "cupsd did not start"; exit 1; }
export CUPS_SERVER
lpstat -r >/dev/null 2>&1 || { fail "cupsd did not start"; exit 1; }

"$exe" --print ondara "$input" >>log.txt 2>&1 || fail "--print exited $?"
for _ in $(seq 150); do
  [ -s "$out" ] && ! lpstat -o ondara 2>/dev/null | grep -q . && break
  sleep 0.2
done
if [ -s "$out" ]; then
  cp "$out" printed.ps
  head -c 14 printed.ps | grep -q '^%!PS-Adobe-3.0' || fail "the job does not start with %!PS-Adobe-3.0"
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r20 -sOutputFile=printed-%d.png printed.ps \
    >gs.txt 2>&1 || fail "gs could not render the job"
  grep -q Error gs.txt && fail "gs reported an error on the job"
  [ -s printed-1.png ] || fail "gs rendered no page"
else
  fail "no job output within 30 s"
fi

[ $failures -eq 0 ] || { echo "$failures failure(s); see $work"; exit 1; }
echo "print: all checks passed"
