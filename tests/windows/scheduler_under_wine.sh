#!/usr/bin/env bash
# Runs the Task Scheduler tests of the Windows test program under Wine in a fresh
# session (after the prefix's wineserver has ended), so the tests may find the
# service "schedule" not yet running. With "xp", the test program and qvcli.exe see Windows XP x64 (5.2) for
# that run (Wine's per-program version), and the version is taken back afterwards.
# Usage: scheduler_under_wine.sh QV_WIN32_TESTS.exe [xp]
set -euo pipefail
tests=$1
mode=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
app_defaults='HKCU\Software\Wine\AppDefaults'
programs=(qv_win32_tests.exe qvcli.exe)

if [ "$mode" = xp ]; then
  cleanup() {
    for program in "${programs[@]}"; do
      wine reg delete "$app_defaults\\$program" /v Version /f >/dev/null 2>&1 || true
    done
    wineserver -w
  }
  trap cleanup EXIT
  for program in "${programs[@]}"; do
    wine reg add "$app_defaults\\$program" /v Version /d winxp64 /f >/dev/null
  done
fi
wineserver -w
"$root/scripts/wine-run" "$tests" --gtest_filter='Win32TaskScheduler.*'
