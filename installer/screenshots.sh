#!/usr/bin/env bash
# Takes the setup wizard's licence, progress and finish pages under Wine and Xvfb,
# in a fresh prefix, into docs/screenshots/setup-*.png.
# Usage: installer/screenshots.sh [build/windows]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
work=$(mktemp -d)
xvfb_pid=""
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=../scripts/virtual-display.sh
source "$root/scripts/virtual-display.sh"
use_virtual_display "$root"
wineboot -i >/dev/null 2>&1
wineserver -w

wizard() { xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorvane Setup *".*/\1/p' | head -n 1; }
take() { # NAME: the wizard as it is now
  import -window "$(wizard)" "$root/docs/screenshots/setup-$1.png"
  echo "docs/screenshots/setup-$1.png"
}
next() { wine "$build/bin/qv_setup_next.exe"; sleep 2; }

wine "$build/setup/qvsetup.exe" >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -n "$(wizard)" ] && break; sleep 0.2; done
[ -n "$(wizard)" ] || { echo "the setup shows no window" >&2; exit 1; }
sleep 2
take licence
next  # I Agree: the folder page
next  # Install: the progress page, completed
sleep 3
take progress
next
take finish
