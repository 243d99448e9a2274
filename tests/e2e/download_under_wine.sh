#!/usr/bin/env bash
# End to end under Wine: the reference server offers a package for one of Wine's devices;
# qvcli.exe scan finds it, qvcli.exe download fetches it over WinInet into its folder and
# the server confirms its MD5; a second download finds it present and fetches nothing; a
# link that has expired since the scan ends the run with code 3 and leaves nothing behind.
# Usage: download_under_wine.sh QVCLI.exe QUORVANE-SERVER
set -euo pipefail
qvcli=$1
server=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/reference_server.sh
source "$root/tests/support/reference_server.sh"
work=$(mktemp -d)
server_pid=""
stored_result=""
package_dir=""
# The prefix keeps no scan result or package of this test.
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [ -n "$stored_result" ] && rm -f "$stored_result"
  [ -n "$package_dir" ] && rm -rf "$package_dir"
  clear_server_policy
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
qv() { "$root/scripts/wine-run" "$qvcli" "$@" 2>&1 | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null; }
fail() { echo "FAIL: $*" >&2; exit 1; }

qv info >"$work/info.txt"
data_folder=$(sed -n 's/^Data folder: *//p' "$work/info.txt")
download_folder=$(sed -n 's/^Download folder: *//p' "$work/info.txt")
[ -n "$data_folder" ] && [ -n "$download_folder" ] || fail "qvcli.exe info names no data or download folder"
stored_result="$(unix_path "$data_folder")/config.bin"
rm -f "$stored_result"
# Demo packages an earlier run left (a folder is named by the catalog's driver id, which
# another catalog reuses; the window tests update from a demo catalog too).
find "$(unix_path "$download_folder")" -mindepth 2 -maxdepth 2 -name 'demo-*.zip' -printf '%h\0' 2>/dev/null |
  xargs -0 -r rm -rf

qv devices >"$work/devices.txt"
device_id=$(awk -F ' [|] ' 'NF >= 4 && $4 != "no driver" && $3 != "" { print $3; exit }' "$work/devices.txt")
[ -n "$device_id" ] || fail "no device with a driver under Wine"
"$server" demo-catalog --catalog "$work/catalog.db" --store "$work/store" "$device_id" >/dev/null
start_reference_server "$server" "$work" || fail "the server did not start"
set_server_policy "127.0.0.1:$port" || fail "the server policy could not be set"
file_gets() { grep -c 'GET /files/' "$work/serve.log" || true; }

qv scan >"$work/scan.txt" || fail "scan failed: $(cat "$work/scan.txt")"
grep -q '^Outdated drivers (1):$' "$work/scan.txt" || fail "expected one outdated driver: $(cat "$work/scan.txt")"
qv download "$device_id" >"$work/download1.txt" || fail "download failed: $(cat "$work/download1.txt")"
grep -q ': Download of driver finished.$' "$work/download1.txt" || fail "no finished line: $(cat "$work/download1.txt")"
log_has "$work" 'POST /client_status/ 200' || fail "the checksum was not sent"
package_folder=$(sed -n 's/^Package of .*: //p' "$work/download1.txt")
[ -n "$package_folder" ] || fail "no package folder named: $(cat "$work/download1.txt")"
package_dir=$(unix_path "$package_folder")
[ "$(find "$package_dir" -type f -name '*.zip' | wc -l)" -eq 1 ] || fail "expected one zip in $package_dir"
cmp -s "$(find "$package_dir" -type f -name '*.zip')" "$(find "$work/store" -type f | head -n 1)" ||
  fail "the package differs from the server's file"

gets=$(file_gets)
qv download "$device_id" >"$work/download2.txt" || fail "second download failed: $(cat "$work/download2.txt")"
grep -q ': Download of driver finished.$' "$work/download2.txt" || fail "present package not reported"
[ "$(file_gets)" -eq "$gets" ] || fail "a present package was fetched again"

# The link from a scan expires. The program probes it and, when WinInet's last response
# information reports 403, asks the server for a new one; WinInet under Wine (like Windows
# for HTTP) reports no such value, so the fetch is refused: code 3 ends the run, the
# package folder is removed and the command fails. A server whose links live one second
# answers that scan, so the expiry never depends on how fast the programs start.
rm -rf "$package_dir"
kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
start_reference_server "$server" "$work" --link-ttl 1 || fail "the short-link server did not start"
set_server_policy "127.0.0.1:$port" || fail "the server policy could not be set"
qv scan >"$work/scan2.txt" || fail "second scan failed: $(cat "$work/scan2.txt")"
sleep 2
if qv download "$device_id" >"$work/download3.txt"; then fail "an expired link downloaded: $(cat "$work/download3.txt")"; fi
grep -q 'The download link for the driver expired. Please run a scan again to refresh.$' "$work/download3.txt" ||
  fail "no expired-link line: $(cat "$work/download3.txt")"
[ ! -e "$package_dir" ] || fail "the refused download left its folder"
log_has "$work" 'GET /files/.* 403' || fail "the server refused nothing"
log_count_is "$work" '/newupdates/' 1 || fail "the expired link was renewed, unlike WinInet under Wine"
echo "download under Wine: passed"
