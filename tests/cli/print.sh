#!/usr/bin/env bash
# Printing as a user does it, against a real spooler: a private cupsd with a file:// queue on a
# generic PostScript PPD gets the drawing as a raw PostScript job; the painted path writes a PDF.
set -u
exe=$1
input=$2
work=$3
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

# The spooler's own directories, readable by the lp user that runs the filters.
spool=$(mktemp -d /tmp/ondara-cups.XXXXXX)
chmod 755 "$spool"
mkdir -p "$spool"/{conf,spool,cache,state,log,tmp,out}
chmod 777 "$spool/tmp" "$spool/out"
chgrp lp "$spool/spool" 2>/dev/null && chmod 710 "$spool/spool"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$spool/conf/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Location /admin>
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$spool/conf/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $spool/conf
RequestRoot $spool/spool
CacheDir $spool/cache
StateDir $spool/state
TempDir $spool/tmp
AccessLog $spool/log/access_log
ErrorLog $spool/log/error_log
PageLog $spool/log/page_log
CONF
cupsd -f -c "$spool/conf/cupsd.conf" -s "$spool/conf/cups-files.conf" >"$spool/log/cupsd.out" 2>&1 &
cupsd_pid=$!
cleanup() {
  kill "$cupsd_pid" 2>/dev/null
  wait "$cupsd_pid" 2>/dev/null
  cp -r "$spool/log" "$work/cups-log" 2>/dev/null
  rm -rf "$spool"
}
trap cleanup EXIT
export CUPS_SERVER=127.0.0.1:$port

for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
lpstat -r >/dev/null 2>&1 || { fail "cupsd did not start"; exit 1; }

ppd=$(lpinfo -m 2>/dev/null | awk '/generic.ppd|Generic PostScript/ {print $1; exit}')
[ -n "$ppd" ] || ppd=drv:///sample.drv/generic.ppd
out=$spool/out/out.ps
lpadmin -h "127.0.0.1:$port" -p ondara -E -v "file://$out" -m "$ppd" >>log.txt 2>&1 ||
  fail "lpadmin could not make the queue ($ppd)"

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
