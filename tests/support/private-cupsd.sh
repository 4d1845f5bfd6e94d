#!/usr/bin/env bash
# A private cupsd under ROOT (an empty directory) with one PostScript queue "ondara" printing
# into the file OUT. Leaves the server's address in ROOT/server and its pid in ROOT/pid.
set -e
r=$1
out=$2
chmod 755 "$r"
mkdir -p "$r"/conf "$r"/spool "$r"/cache "$r"/state "$r"/log "$r"/tmp
chmod 777 "$r/tmp" "$(dirname "$out")"
chgrp lp "$r/spool" 2>/dev/null && chmod 710 "$r/spool"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$r/conf/cupsd.conf" <<CONF
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
cat >"$r/conf/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $r/conf
RequestRoot $r/spool
CacheDir $r/cache
StateDir $r/state
TempDir $r/tmp
AccessLog $r/log/access_log
ErrorLog $r/log/error_log
PageLog $r/log/page_log
CONF
cupsd -f -c "$r/conf/cupsd.conf" -s "$r/conf/cups-files.conf" >"$r/log/cupsd.out" 2>&1 &
echo $! >"$r/pid"
export CUPS_SERVER=127.0.0.1:$port
echo "$CUPS_SERVER" >"$r/server"
for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
ppd=$(lpinfo -m 2>/dev/null | awk '/generic.ppd|Generic PostScript/ {print $1; exit}')
[ -n "$ppd" ] || ppd=drv:///sample.drv/generic.ppd
lpadmin -h "$CUPS_SERVER" -p ondara -E -v "file://$out" -m "$ppd"
