#!/usr/bin/env bash
# Sets up, builds and runs Ondara Draw; every argument goes to ondara-draw.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Set-up and build progress go to stderr, so that stdout is the program's alone
# (run.sh --list-fonts | head).
bash "$top/scripts/setup.sh" >&2
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDARA_TESTS=OFF \
  -DONDARA_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target ondara-draw >&2
exec "$top/build/ondara-draw" "$@"
