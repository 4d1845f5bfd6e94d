#!/usr/bin/env bash
# Sets up, builds and runs every test: the suite, the suite again under AddressSanitizer and
# UBSan, and a short run of every fuzz target built with clang. --quick runs the suite only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-20}
quick=0
[ "${1:-}" = "--quick" ] && quick=1

bash "$top/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
# ccache's own cache in the user's home, with paths taken relative to the checkout, so a
# fresh clone in another folder reuses what earlier builds compiled.
export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=true

echo "== house rules"
bash "$top/scripts/check-format.sh"

echo "== build and test"
cmake -S "$top" -B "$top/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDARA_WERROR=ON \
  >/dev/null
cmake --build "$top/build-test" -j"$jobs"
bash "$top/scripts/check-layers.sh" "$top/build-test"
"$top/build-test/ondara-draw" --version
ctest --test-dir "$top/build-test" -j"$jobs" --output-on-failure

[ $quick -eq 1 ] && exit 0

echo "== AddressSanitizer and UBSan"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DONDARA_SANITIZE=ON \
  -DONDARA_WERROR=ON -DONDARA_BENCH=OFF >/dev/null
cmake --build "$top/build-asan" -j"$jobs"
bash "$top/scripts/check-layers.sh" "$top/build-asan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$top/tests/lsan.supp":print_suppressions=0 \
  ctest --test-dir "$top/build-asan" -j"$jobs" --output-on-failure

echo "== fuzz targets (clang, ${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DONDARA_FUZZ=ON -DONDARA_WERROR=ON -DONDARA_GUI=OFF -DONDARA_TESTS=OFF -DONDARA_BENCH=OFF \
  >/dev/null
cmake --build "$top/build-fuzz" -j"$jobs"
for target in "$top"/build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$top/build-fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus"
  seeds="$top/fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  echo "-- $name"
  "$target" -max_total_time="$fuzz_seconds" -max_len=65536 -print_final_stats=1 \
    "$corpus" $seeds 2>&1 | tail -n 12
done
echo "fuzz smoke: all targets ran clean"
