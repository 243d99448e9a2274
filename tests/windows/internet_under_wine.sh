#!/usr/bin/env bash
# Runs the WinInet exchange tests of the Windows test program against the reference
# server on loopback, directly and through a tinyproxy of the test's own, and against
# its TLS twin on 127.0.0.1:443 (a certificate of a test authority made here) through
# the same proxy, and the twin on 127.0.0.1:8443 as the Server policy names it.
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

# The TLS twin: a test authority, a certificate for 127.0.0.1 it signs, the same catalog.
tls="$work/tls"
mkdir -p "$tls"
tls_ca=""
tls_other_port=""
if openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 2 \
     -subj "/CN=Quorvane Test Authority" -addext "basicConstraints=critical,CA:TRUE" \
     -addext "keyUsage=critical,keyCertSign,cRLSign" >/dev/null 2>&1 &&
   openssl req -newkey rsa:2048 -nodes -keyout "$tls/server.key" -out "$tls/server.csr" -subj "/CN=127.0.0.1" \
     >/dev/null 2>&1 &&
   printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' >"$tls/ext.cnf" &&
   openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -days 2 \
     -extfile "$tls/ext.cnf" -out "$tls/server.pem" >/dev/null 2>&1 &&
   openssl x509 -in "$tls/ca.pem" -outform DER -out "$tls/ca.der"; then
  "$server" serve --catalog "$work/catalog.db" --store "$work/store" --port 443 --tls-cert "$tls/server.pem" \
    --tls-key "$tls/server.key" >"$tls/serve.out" 2>"$tls/serve.log" &
  pids+=($!)
  for _ in $(seq 1 100); do
    grep -q '^listening on https://127.0.0.1:443$' "$tls/serve.out" && { tls_ca=$(winepath -w "$tls/ca.der"); break; }
    sleep 0.1
  done
  [ -n "$tls_ca" ] || echo "the TLS server did not start on 127.0.0.1:443: $(cat "$tls/serve.log")" >&2
  # The same twin off port 443, where only the policy's "https://" chooses TLS.
  "$server" serve --catalog "$work/catalog.db" --store "$work/store" --port 8443 --tls-cert "$tls/server.pem" \
    --tls-key "$tls/server.key" >"$tls/serve-8443.out" 2>"$tls/serve-8443.log" &
  pids+=($!)
  for _ in $(seq 1 100); do
    grep -q '^listening on https://127.0.0.1:8443$' "$tls/serve-8443.out" && { tls_other_port=8443; break; }
    sleep 0.1
  done
  [ -n "$tls_other_port" ] || echo "the TLS server did not start on 127.0.0.1:8443: $(cat "$tls/serve-8443.log")" >&2
fi

QV_TEST_SERVER_PORT=$port QV_TEST_PROXY_PORT=$proxy_port QV_TEST_HWID=$hwid QV_TEST_TLS_CA=$tls_ca \
  QV_TEST_TLS_OTHER_PORT=$tls_other_port \
  QV_TEST_PROXY_LOG=$(winepath -w "$work/tinyproxy.log") \
  "$root/scripts/wine-run" "$tests" --gtest_filter='InternetTest.*'
