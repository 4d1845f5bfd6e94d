#!/usr/bin/env bash
# Keeps the libraries layered: the core (model/, output/, fonts/ and the platform layers outside
# platform/*/qt/) includes no Qt header and nothing from render/, app/, tools/ or ui/; and, given
# a build tree, the core's test programs load no Qt library.
# Usage: check-layers.sh [BUILD_DIR]. Exit 1 after naming every offending file or binary.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
status=0

cd "$top" || exit 1
core_files=$(find model output fonts platform -type f \( -name '*.h' -o -name '*.cpp' \) \
  -not -path 'platform/*/qt/*' | sort)

# Qt headers: <QImage>, <QtCore/QString>, "QtGui/..."; upward includes: render/, app/, tools/, ui/.
qt_include='^[[:space:]]*#[[:space:]]*include[[:space:]]*(<Q|"Qt)'
up_include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](render|app|tools|ui)/'
for f in $core_files; do
  while IFS= read -r hit; do
    echo "check-layers: $f:$hit: the core includes a Qt header" >&2
    status=1
  done < <(grep -nE "$qt_include" "$f" | cut -d: -f1)
  while IFS= read -r hit; do
    echo "check-layers: $f:$hit: the core includes from a layer above it" \
      "($(sed -n "${hit}p" "$f" | sed -E 's/.*include[[:space:]]*//'))" >&2
    status=1
  done < <(grep -nE "$up_include" "$f" | cut -d: -f1)
done

if [ -n "$build" ]; then
  for name in tests_platform tests_model tests_output tests_fonts; do
    bin="$build/tests/$name"
    [ -x "$bin" ] || continue  # not built in this configuration
    qt=$(readelf -d "$bin" | sed -nE 's/.*\(NEEDED\).*\[(libQt[^]]*)\].*/\1/p' | tr '\n' ' ')
    if [ -n "$qt" ]; then
      echo "check-layers: $bin links Qt (${qt% }); the core's test programs must not" >&2
      status=1
    fi
  done
fi

[ $status -eq 0 ] && echo "check-layers: the core stands without Qt and without the layers above"
exit $status
