#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it with the
# repository's own .clang-format (clang-format 14, as Debian 12 ships it).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "check-format: clang-format is not installed (package clang-format)" >&2
  exit 1
}
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! "$format" --dry-run -Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -o '^[^:]*\.\(cpp\|h\)' /tmp/check-format.$$ | sort -u | sed 's/^/check-format: differs: /' >&2
  echo "check-format: run clang-format -i on the files above" >&2
  rm -f /tmp/check-format.$$
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: every C++ file is formatted"
