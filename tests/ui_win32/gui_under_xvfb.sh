#!/usr/bin/env bash
# Runs the window test program under Wine on an X display: the present one, or
# an Xvfb started on a free display for the run when DISPLAY is not set.
# Usage: gui_under_xvfb.sh qv_gui_tests.exe [gtest arguments]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null' EXIT
if [ -z "${DISPLAY:-}" ]; then
  number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
fi
"$root/scripts/wine-run" "$@"
status=$?
# Wine's processes of this display end before the display does.
if [ -n "$xvfb_pid" ]; then
  WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix} wineserver -w
fi
exit $status
