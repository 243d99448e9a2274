#!/usr/bin/env bash
# End to end under Wine: the reference server with a catalog for the test device and
# one of Wine's own devices; qvcli.exe scan lists them as outdated and the rest as up
# to date; qvcli.exe ignore marks one, and a second scan keeps the mark. The server is
# chosen by the administrator's policy in the prefix only, never by the environment.
# Usage: scan_under_wine.sh QVCLI.exe QUORVANE-SERVER
set -euo pipefail
qvcli=$1
server=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/reference_server.sh
source "$root/tests/support/reference_server.sh"
work=$(mktemp -d)
server_pid=""
stored_result=""
# The test's scan result and ignore mark are not left behind for the next user of the prefix.
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [ -n "$stored_result" ] && rm -f "$stored_result"
  clear_server_policy
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
qv() { "$root/scripts/wine-run" "$qvcli" "$@" 2>&1 | tr -d '\r'; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The test prefix's stored scan is cleared, so no earlier ignore mark carries over.
data_folder=$(qv info | sed -n 's/^Data folder: *//p')
[ -n "$data_folder" ] || fail "qvcli.exe info names no data folder"
stored_result="$(winepath -u "$data_folder" 2>/dev/null)/config.bin"
rm -f "$stored_result"

# Two devices with a driver: the first gets an offer ("the test device"), the second as well
# when there is one, the rest stay without offers.
qv devices >"$work/devices.txt"
awk -F ' [|] ' 'NF >= 4 && $4 != "no driver" && $3 != "" { print $3 "\t" $2 }' "$work/devices.txt" | sort -u -t$'\t' -k1,1 >"$work/drivers.tsv"
[ "$(wc -l <"$work/drivers.tsv")" -ge 2 ] || fail "fewer than two devices with a driver under Wine"
head -n 2 "$work/drivers.tsv" | cut -f1 >"$work/ids.txt"
first_id=$(sed -n 1p "$work/ids.txt")
"$server" demo-catalog --catalog "$work/catalog.db" --store "$work/store" --ids-file "$work/ids.txt" >/dev/null
start_reference_server "$server" "$work" || fail "the server did not start"

# Who chooses the server: the environment an unelevated user controls is ignored; the
# HKLM policy is used.
clear_server_policy
built_in=$(qv info | sed -n 's/^Driver server: *//p')
[ -n "$built_in" ] || fail "qvcli.exe info names no driver server"
while IFS='|' read -r name environment policy expected; do
  clear_server_policy
  [ -z "$policy" ] || set_server_policy "$policy" || fail "$name: the policy could not be set"
  shown=$(QUORVANE_SERVER=$environment qv info </dev/null | sed -n 's/^Driver server: *//p')
  [ "$shown" = "${expected:-$built_in}" ] || fail "$name: driver server $shown, expected ${expected:-$built_in}"
done <<CASES
environment names the test server|127.0.0.1:$port||
environment names another server, policy the test server|127.0.0.1:9|127.0.0.1:$port|127.0.0.1:$port
policy not a host and port|127.0.0.1:$port|127.0.0.1:99999|
CASES
set_server_policy "127.0.0.1:$port" || fail "the server policy could not be set"
export QUORVANE_SERVER="127.0.0.1:9"  # ignored: the scans reach the policy's server

qv scan >"$work/scan1.txt" || fail "first scan failed: $(cat "$work/scan1.txt")"
grep -q '^Checking for Updates...$' "$work/scan1.txt" || fail "no checking line"
grep -q '^Outdated drivers (2):$' "$work/scan1.txt" || fail "expected two outdated drivers: $(cat "$work/scan1.txt")"
grep -F -q -- "$first_id | " "$work/scan1.txt" || fail "the test device is not listed"
grep -q '^Up-to-date drivers ([1-9][0-9]*):$' "$work/scan1.txt" || fail "no up-to-date devices"

qv ignore "$first_id" >/dev/null || fail "ignore failed"
qv scan >"$work/scan2.txt" || fail "second scan failed"
grep -q '^Outdated drivers (1):$' "$work/scan2.txt" || fail "the ignored device is still outdated: $(cat "$work/scan2.txt")"
grep -q '^Ignored devices (1):$' "$work/scan2.txt" || fail "the ignore mark was lost"
qv list --ignored --json | grep -F -q '"state": "ignored"' || fail "list --ignored shows no ignored device"
log_count_is "$work" '/newupdates/' 2 || fail "expected one request per scan"
echo "scan under Wine: passed"
