#!/usr/bin/env bash
# Runs the window test program under Wine on an X display: the present one, or
# an Xvfb started on a free display for the run when DISPLAY is not set.
# The reference server (QV_REFERENCE_SERVER, by default the native build's) is
# started on loopback with an empty catalog when it exists, and the program's
# scans go to it through the server policy of the Wine prefix (removed at the end).
# A second one serves a demo catalog
# that offers newer drivers for every second device of this machine (listed by
# the qvcli.exe beside the test program) and a newer program version; its
# address is QUORVANE_DEMO_SERVER. A third serves the driver package of the test device
# ROOT\QVTEST_WINUPDATE (made by qv_test_device.exe in the test) at 16 KB a second, with
# links that live 15 seconds; its address is QUORVANE_UPDATE_SERVER.
# Usage: gui_under_xvfb.sh qv_gui_tests.exe [gtest arguments]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
xvfb_pid=""
server_pid=""
demo_pid=""
update_pid=""
work=""
policy_set=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for pid in $server_pid $demo_pid $update_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  [ -n "$work" ] && rm -rf "$work"
  [ -n "$policy_set" ] && clear_server_policy
}
trap cleanup EXIT
server=${QV_REFERENCE_SERVER:-$root/build/native/bin/quorvane-server}
if [ -x "$server" ]; then
  # shellcheck source=../support/reference_server.sh
  source "$root/tests/support/reference_server.sh"
  work=$(mktemp -d)
  if start_reference_server "$server" "$work"; then
    policy_set=1
    set_server_policy "127.0.0.1:$port" || { echo "the server policy could not be set" >&2; exit 1; }
  fi
  qvcli="$(dirname "$1")/qvcli.exe"
  if [ -f "$qvcli" ]; then
    if make_demo_catalog "$server" "$qvcli" "$work/demo"; then
      empty_pid=$server_pid
      if start_reference_server "$server" "$work/demo" --offer-version 99.0.0.0; then
        demo_pid=$server_pid
        export QUORVANE_DEMO_SERVER="127.0.0.1:$port"
      fi
      server_pid=$empty_pid
    fi
  fi
  mkdir -p "$work/update"
  make_update_package "$work/update" 'ROOT\QVTEST_WINUPDATE' 160
  if "$server" import --catalog "$work/update/catalog.db" --store "$work/update/store" "$work/update/qvtest-v2_qva.zip" \
    >/dev/null 2>&1; then
    empty_pid=$server_pid
    if start_reference_server "$server" "$work/update" --link-ttl 15 --pace-kb-per-s 16; then
      update_pid=$server_pid
      export QUORVANE_UPDATE_SERVER="127.0.0.1:$port"
    fi
    server_pid=$empty_pid
  fi
fi
# shellcheck source=../../scripts/virtual-display.sh
source "$root/scripts/virtual-display.sh"
use_virtual_display "$root"
"$root/scripts/wine-run" "$@"
status=$?
# Wine's processes of this display end before the display does. A program a test left
# running would hold that wait for ever: after a minute it is named, ended, and the run fails.
if [ -n "$xvfb_pid" ]; then
  export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
  if ! timeout 60 wineserver -w; then
    echo "Wine processes left running after the tests:" >&2
    ps -eo pid,args | grep -i '\.exe' | grep -v grep >&2
    wineserver -k
    status=1
  fi
fi
exit $status
