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
