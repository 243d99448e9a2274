#!/usr/bin/env bash
# End to end under Wine: a root-enumerated test device with driver 1.2.3.4; the
# reference server offers a "_qva" zip package whose INF installs 2.0.0.0 with a new
# install section and a file for the system folder. qvcli.exe scan finds it outdated;
# qvcli.exe update downloads the package, has the server confirm it, backs up the
# installed driver and installs the new INF through UpdateDriverForPlugAndPlayDevicesW:
# the file lands in the system folder and the driver key names the new section.
# qvcli.exe restore on the backup folder brings the old section back. The package is
# installed from a staging folder of the work area in ProgramData, gone afterwards.
# Wine 8 writes no DriverVersion or DriverDate when it installs a driver, so the version a
# rescan reads is not checked here (the native update-loop test covers it).
# Usage: update_under_wine.sh QVCLI.exe QUORVANE-SERVER [QV_TEST_DEVICE.exe]
set -euo pipefail
qvcli=$1
server=$2
test_device=${3:-$(dirname "$qvcli")/qv_test_device.exe}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/reference_server.sh
source "$root/tests/support/reference_server.sh"
work=$(mktemp -d)
server_pid=""
hwid='ROOT\QVTEST_UPDATE'
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=-all
run() { "$root/scripts/wine-run" "$@" 2>&1 | tr -d '\r'; }
qv() { run "$qvcli" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
system_folder="$WINEPREFIX/drive_c/windows/system32"
backup_unix=""
download_folder=""
stored_result=""
# Download sub-folders holding this test's package or a demo package, from this run or an
# earlier one (a folder is named by the catalog's driver id, which another catalog reuses).
remove_downloads() {
  [ -n "$download_folder" ] && [ -d "$download_folder" ] || return 0
  find "$download_folder" -mindepth 2 -maxdepth 2 \( -name 'qvtest-v2_qva.zip' -o -name 'demo-*.zip' \) -printf '%h\0' |
    xargs -0 -r rm -rf
}
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  run "$test_device" remove "$hwid" >/dev/null || true
  rm -f "$system_folder/qvtest_v2.dll"
  [ -n "$backup_unix" ] && rm -rf "$backup_unix"
  remove_downloads
  [ -n "$stored_result" ] && rm -f "$stored_result"
  clear_server_policy
  rm -rf "$work"
}
trap cleanup EXIT

# The device with its first driver; an earlier run's leftovers go first.
run "$test_device" remove "$hwid" >/dev/null || true
run "$test_device" install "$hwid" 1.2.3.4 >"$work/device.txt" || fail "test device: $(cat "$work/device.txt")"
driver_key=$(run "$test_device" driver-key "$hwid")
[[ $driver_key == HKLM\\* ]] || fail "no driver key: $driver_key"
inf_section() { run reg query "$driver_key" /v InfSection | sed -n 's/^ *InfSection *REG_SZ *//p'; }
[ "$(inf_section)" = "QuorvaneTest_Install" ] || fail "the test device's section is $(inf_section)"

# The new driver's package: an INF for the device's id that copies one file into the
# system folder, zipped under a name ending in "_qva" so its INF is installed.
make_update_package "$work" "$hwid"
package="$work/qvtest-v2_qva.zip"
"$server" import --catalog "$work/catalog.db" --store "$work/store" "$package" >"$work/import.txt" 2>&1 ||
  fail "import: $(cat "$work/import.txt")"
start_reference_server "$server" "$work" || fail "the server did not start"
set_server_policy "127.0.0.1:$port" || fail "the server policy could not be set"

# The stored scan result and earlier downloads of this package are cleared.
qv info >"$work/info.txt"
folder_of() { winepath -u "$(sed -n "s/^$1: *//p" "$work/info.txt")" 2>/dev/null; }
data_folder=$(folder_of "Data folder")
download_folder=$(folder_of "Download folder")
backup_folder=$(folder_of "Backup folder")
[ -n "$data_folder" ] && [ -n "$download_folder" ] && [ -n "$backup_folder" ] || fail "qvcli.exe info: $(cat "$work/info.txt")"
stored_result="$data_folder/config.bin"
rm -f "$stored_result"
remove_downloads
backup_unix="$backup_folder/Quorvane Test Device - 1.2.3.4"
rm -rf "$backup_unix"

qv scan >"$work/scan.txt" || fail "scan failed: $(cat "$work/scan.txt")"
sed -n '/^Outdated drivers/,/^$/p' "$work/scan.txt" | grep -F -q -- "$hwid" ||
  fail "the test device is not outdated: $(cat "$work/scan.txt")"

qv update "$hwid" >"$work/update.txt" || fail "update failed: $(cat "$work/update.txt")"
for line in "Quorvane Test Device: Download of driver finished." "Creating driver backup: Quorvane Test Device" \
  "Extracting files... (2 entries)" "Installing driver..." "Quorvane Test Device: Driver installation finished." \
  "Installation of drivers finished."; do
  grep -F -q -x -- "$line" "$work/update.txt" || fail "no line '$line' in: $(cat "$work/update.txt")"
done
log_has "$work" 'GET /files/' || fail "the package was not fetched"
log_has "$work" '/client_status/' || fail "the download was not confirmed"
cmp -s "$system_folder/qvtest_v2.dll" "$work/package/driver/qvtest_v2.dll" || fail "the driver's file is not in the system folder"
[ "$(inf_section)" = "QuorvaneTestV2_Install" ] || fail "the driver key names section '$(inf_section)' after the update"
find "$download_folder" -type d -name data | grep -q . && fail "a work folder was left in the download folder"
# The package was copied into a staging folder of the protected work area, extracted and
# installed there, and that folder is gone again.
staging="$WINEPREFIX/drive_c/ProgramData/Quorvane/Staging"
[ -d "$staging" ] || fail "no staging folder in the work area: $(ls -la "$WINEPREFIX/drive_c/ProgramData" 2>&1)"
[ -z "$(ls -A "$staging")" ] || fail "the staging folder was left behind: $(ls -R "$staging")"

# The backup made before the install holds the old INF and its index; restoring it
# installs the old driver again.
[ -f "$backup_unix/index.dat" ] || fail "no backup folder with index.dat: $(ls -R "$backup_folder" 2>&1)"
[ -f "$backup_unix/quorvane_test.inf" ] || fail "the backup lacks the old INF: $(ls "$backup_unix")"
qv restore "$(winepath -w "$backup_unix")" >"$work/restore.txt" || fail "restore failed: $(cat "$work/restore.txt")"
[ "$(inf_section)" = "QuorvaneTest_Install" ] || fail "the driver key names section '$(inf_section)' after the restore"
echo "update under Wine: passed"
