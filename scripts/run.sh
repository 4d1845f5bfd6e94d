#!/usr/bin/env bash
# Sets up, builds and runs Ondara Draw; every argument goes to ondara-draw.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDARA_TESTS=OFF \
  -DONDARA_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target ondara-draw
exec "$top/build/ondara-draw" "$@"
