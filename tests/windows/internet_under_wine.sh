#!/usr/bin/env bash
# Runs the WinInet exchange tests of the Windows test program against the reference
# server on loopback, directly and through a tinyproxy of the test's own.
# Usage: internet_under_wine.sh QV_WIN32_TESTS.exe QUORVANE-SERVER
set -euo pipefail
tests=$1
server=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/reference_server.sh
source "$root/tests/support/reference_server.sh"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

hwid='QVTEST\WINE_INTERNET_DEVICE'
"$server" demo-catalog --catalog "$work/catalog.db" --store "$work/store" "$hwid" >/dev/null
server_pid=""
start_reference_server "$server" "$work" || { pids+=("$server_pid"); exit 1; }
pids+=("$server_pid")

proxy_port=$(( 20000 + RANDOM % 20000 ))
cat >"$work/tinyproxy.conf" <<CONF
Port $proxy_port
Listen 127.0.0.1
Timeout 30
MaxClients 10
Allow 127.0.0.1
LogFile "$work/tinyproxy.log"
PidFile "$work/tinyproxy.pid"
CONF
tinyproxy -d -c "$work/tinyproxy.conf" >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

QV_TEST_SERVER_PORT=$port QV_TEST_PROXY_PORT=$proxy_port QV_TEST_HWID=$hwid \
  "$root/scripts/wine-run" "$tests" --gtest_filter='InternetTest.*'
