#!/usr/bin/env bash
# Lines of C++ in the tests and in the program (not blank, not only a // comment), and their
# ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | xargs -0 cat |
    grep -v '^[[:space:]]*$' | grep -cv '^[[:space:]]*//'
}
tests=$(count tests)
code=$(count app tools ui model output fonts render platform)
echo "tests: $tests"
echo "code:  $code"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.2f\n", t / c }'
