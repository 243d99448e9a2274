# Sourced by the scripts that test against the reference server.
# start_reference_server SERVER WORK [serve options...]: serves WORK/catalog.db and
# WORK/store on a free loopback port; sets server_pid and port, logs to WORK/serve.log.
start_reference_server() {
  local server=$1 work=$2
  shift 2
  "$server" serve --catalog "$work/catalog.db" --store "$work/store" --port 0 "$@" \
    >"$work/serve.out" 2>"$work/serve.log" &
  server_pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)$|\1|p' "$work/serve.out")
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "the server did not start" >&2
  return 1
}

# make_demo_catalog SERVER QVCLI WORK: a catalog in WORK/catalog.db and WORK/store
# that offers newer drivers for every second device with a driver that QVCLI
# (qvcli.exe, run under Wine) lists on this machine. Fails when it lists none.
make_demo_catalog() {
  local server=$1 qvcli=$2 work=$3
  mkdir -p "$work"
  "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run" "$qvcli" devices 2>/dev/null | tr -d '\r' |
    awk -F ' [|] ' 'NF >= 4 && $4 != "no driver" && $3 != "" { if (n++ % 2 == 0) print $3 }' | sort -u >"$work/ids.txt"
  [ -s "$work/ids.txt" ] || return 1
  rm -rf "$work/catalog.db" "$work/store"
  "$server" demo-catalog --catalog "$work/catalog.db" --store "$work/store" --ids-file "$work/ids.txt" >/dev/null
}

# set_server_policy HOST:PORT [SETUP-URL]: the administrator's policy values that point the
# Windows programs of the Wine prefix at a server (and at a setup for their own update);
# clear_server_policy removes them. The 64-bit view: the programs are 64-bit.
server_policy_key='HKLM\SOFTWARE\Policies\Quorvane'
set_server_policy() {
  local wine_run
  wine_run="$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run"
  "$wine_run" reg add "$server_policy_key" /v Server /d "$1" /f /reg:64 >/dev/null 2>&1 || return 1
  if [ -n "${2:-}" ]; then
    "$wine_run" reg add "$server_policy_key" /v SetupUrl /d "$2" /f /reg:64 >/dev/null 2>&1 || return 1
  fi
}
clear_server_policy() {
  "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run" reg delete "$server_policy_key" /f /reg:64 >/dev/null 2>&1 || true
}

# The server writes a request's access-log line once its answer has gone out, so the line
# may come a moment after the client is done. log_has WORK PATTERN: whether WORK/serve.log
# gets a line matching PATTERN within 10 s. log_count_is WORK PATTERN N: whether it has
# exactly N such lines once it has at least N (or after 10 s).
log_has() {
  for _ in $(seq 1 100); do
    grep -q -- "$2" "$1/serve.log" && return 0
    sleep 0.1
  done
  return 1
}
log_count_is() {
  local count=0
  for _ in $(seq 1 100); do
    count=$(grep -c -- "$2" "$1/serve.log" || true)
    [ "$count" -ge "$3" ] && break
    sleep 0.1
  done
  [ "$count" -eq "$3" ]
}

# make_update_package WORK HWID [PADDING-KB]: WORK/qvtest-v2_qva.zip, a driver
# package for the test device HWID (qv_test_device.exe) whose INF installs 2.0.0.0 with the
# section QuorvaneTestV2_Install and copies qvtest_v2.dll (WORK/package/driver/) into the
# system folder. Its name ends in "_qva", so the program installs its INF. PADDING-KB adds
# a file of random bytes nothing installs, so that a paced server takes a while to send it.
make_update_package() {
  local work=$1 hwid=$2 padding=${3:-0}
  mkdir -p "$work/package/driver"
  cat >"$work/package/driver/qvtest_v2.inf" <<EOF
[Version]
Signature="\$Windows NT\$"
Class=System
ClassGuid={4d36e97d-e325-11ce-bfc1-08002be10318}
Provider=%Provider%
DriverVer=06/01/2026,2.0.0.0

[SourceDisksNames]
1=%Disk%

[SourceDisksFiles]
qvtest_v2.dll=1

[DestinationDirs]
DefaultDestDir=11

[Manufacturer]
%Manufacturer%=Models,NTamd64

[Models.NTamd64]
%DeviceDesc%=QuorvaneTestV2_Install,$hwid

[QuorvaneTestV2_Install]
CopyFiles=QuorvaneTestV2_Files

[QuorvaneTestV2_Files]
qvtest_v2.dll

[QuorvaneTestV2_Install.Services]
AddService=,2

[Strings]
Provider="Quorvane Test Provider"
Manufacturer="Quorvane Test Manufacturer"
DeviceDesc="Quorvane Test Device"
Disk="Quorvane test driver disk"
EOF
  sed -i 's/$/\r/' "$work/package/driver/qvtest_v2.inf"
  echo "Quorvane test driver 2.0.0.0" >"$work/package/driver/qvtest_v2.dll"
  if [ "$padding" -gt 0 ]; then head -c "$((padding * 1024))" /dev/urandom >"$work/package/padding.bin"; fi
  python3 - "$work/package" "$work/qvtest-v2_qva.zip" <<'EOF'
import os, sys, zipfile
source, target = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, _, files in os.walk(source):
        for name in sorted(files):
            path = os.path.join(folder, name)
            archive.write(path, os.path.relpath(path, source))
EOF
}
