#!/usr/bin/env bash
# Non-blank lines of C++ in the tests and in the program, and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | xargs -0 cat | grep -cv '^\s*$'; }
tests=$(count tests)
code=$(count app tools ui model output fonts render platform)
echo "tests: $tests"
echo "code:  $code"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.2f\n", t / c }'
