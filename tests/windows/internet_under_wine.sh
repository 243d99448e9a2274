#!/usr/bin/env bash
# Runs the WinInet exchange tests of the Windows test program against the reference
# server on loopback, directly and through a tinyproxy of the test's own.
# Usage: internet_under_wine.sh QV_WIN32_TESTS.exe QUORVANE-SERVER
set -euo pipefail
tests=$1
server=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

hwid='QVTEST\WINE_INTERNET_DEVICE'
"$server" demo-catalog --catalog "$work/catalog.db" --store "$work/store" "$hwid" >/dev/null
"$server" serve --catalog "$work/catalog.db" --store "$work/store" --port 0 >"$work/serve.out" 2>"$work/serve.log" &
pids+=($!)
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)$|\1|p' "$work/serve.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the server did not start" >&2; exit 1; }

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
