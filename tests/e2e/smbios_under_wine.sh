#!/usr/bin/env bash
# qvcli.exe info --smbios under Wine prints, for every corpus table, the lines and the
# JSON that the native qvcli prints for it. Table strings pass through the ANSI code
# page: Windows-1252 natively, whatever Wine takes from the Unix locale (65001, UTF-8,
# under C.UTF-8), so every character outside ASCII is compared as one "?".
# Usage: smbios_under_wine.sh QVCLI.exe NATIVE-QVCLI SMBIOS-CORPUS-WRITER
set -euo pipefail
qvcli=$1
native=$2
writer=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
qv() { "$root/scripts/wine-run" "$qvcli" "$@" 2>&1 | tr -d '\r'; }
fail() { echo "FAIL: $*" >&2; exit 1; }
ascii() { perl -CSD -pe 's/[^\x00-\x7F]/?/g' "$1"; }

"$writer" "$work"
count=0
for file in "$work"/*.bin; do
  name=$(basename "$file" .bin)
  windows_path=$(winepath -w "$file" 2>/dev/null)
  for options in "" "--json"; do
    # shellcheck disable=SC2086
    "$native" info --smbios "$file" $options >"$work/$name.native" 2>&1 || fail "$name: the native qvcli failed"
    # shellcheck disable=SC2086
    qv info --smbios "$windows_path" $options >"$work/$name.windows" || fail "$name: qvcli.exe failed"
    diff -u <(ascii "$work/$name.native") <(ascii "$work/$name.windows") ||
      fail "$name $options: qvcli.exe prints other lines"
  done
  count=$((count + 1))
done
[ "$count" -gt 0 ] || fail "the corpus writer wrote no table"
echo "qvcli.exe info --smbios prints the native lines for $count corpus tables"
