#!/usr/bin/env bash
# A save killed at any moment leaves the target either as it was or complete, never torn, and
# the next save removes what the killed one left behind.
set -u
exe=$1
input=$2
work=$3
rm -rf "$work" && mkdir -p "$work/ref" "$work/dir" && cd "$work" || exit 1
export SOURCE_DATE_EPOCH=1700000000
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A large drawing: the sample's shapes over and over.
awk '/%%EndPageSetup/ { print; body = 1; next }
     /%%PageTrailer/ { for (i = 0; i < 30000; i++) printf "%s", shapes; body = 0 }
     body { shapes = shapes $0 "\n"; next }
     { print }' "$input" >big.qlx
"$exe" --convert "$input" ref/old.qlx && "$exe" --convert big.qlx ref/drawing.qlx || { echo "FAIL: cannot make the two drawings"; exit 1; }

# How long a whole save takes here, start-up included: kills land at random moments within it,
# so the test does not depend on the machine's speed or load.
start=$(date +%s%N)
"$exe" --convert big.qlx dir/drawing.qlx >/dev/null 2>&1
span=$((($(date +%s%N) - start) / 1000000 + 1))

kills=0 torn=0 writing=0
end=$(($(date +%s) + 10))
while [ "$(date +%s)" -lt "$end" ]; do
  cp ref/old.qlx dir/drawing.qlx
  "$exe" --convert big.qlx dir/drawing.qlx >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((RANDOM % span / 1000)) $((RANDOM % span % 1000)))"
  kill -KILL "$pid" 2>/dev/null && kills=$((kills + 1))
  wait "$pid" 2>/dev/null
  # A temporary file left behind means the kill landed while the new file was being written.
  ls -A dir | grep -q '^\.drawing\.qlx\.' && writing=$((writing + 1))
  if ! cmp -s dir/drawing.qlx ref/old.qlx && ! cmp -s dir/drawing.qlx ref/drawing.qlx; then
    torn=$((torn + 1))
  fi
done
echo "save takes ${span} ms; $kills kills, $writing while writing, $torn torn"
[ "$torn" -eq 0 ] || fail "$torn targets were neither the old nor the new file"
[ "$writing" -gt 0 ] || fail "no kill landed while a save was writing"

"$exe" --convert big.qlx dir/drawing.qlx || fail "the save after the kills"
cmp -s dir/drawing.qlx ref/drawing.qlx || fail "the save after the kills differs"
[ "$(ls -A dir)" = "drawing.qlx" ] || fail "left beside the drawing: $(ls -A dir | tr '\n' ' ')"
[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
