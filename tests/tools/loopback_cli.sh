#!/usr/bin/env bash
# The example server on a free loopback port, tried in one of two ways:
#   loopback_cli.sh session SERVER CLIENT           one client; what each side received
#   loopback_cli.sh load SERVER CLIENT LOAD FILE... the hostile records FILE..., then 50
#       clients alone and beside 20 hostile connections; the server must serve
#       throughout, within its memory bound
set -u
mode=$1 server=$2 client=$3
dir=$(mktemp -d)
pid=
trap 'kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
source "$(dirname "$0")/expect.sh"

start_server() {  # start_server ARGS...: sets pid and port
  timeout 60 "$server" --port 0 "$@" >"$dir/server.out" 2>&1 &
  pid=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$dir/server.out")
    [[ -n $port ]] && return
    sleep 0.1
  done
  fail "server did not report its port: $(cat "$dir/server.out")"
  exit 1
}

if [[ $mode == load ]]; then
  load=$4
  shift 4
  budget_mib=8 connections=71
  start_server --clients 0 --budget $budget_mib --timeout 3
  "$load" --port "$port" --good 50 --hostile 20 --limit 2 --records "$@" || fail "qvload exits $?"
  server_pid=$(cat "/proc/$pid/task/$pid/children")  # $pid is its timeout
  peak_kib=$(awk '/^VmHWM/ {print $2}' "/proc/${server_pid// /}/status")
  echo "server peak resident: $((peak_kib / 1024)) MiB"
  ((peak_kib < (budget_mib * connections + 50) * 1024)) ||
    fail "server peak resident $peak_kib KiB, above $budget_mib MiB x $connections + 50 MiB"
  "$client" --port "$port" >/dev/null 2>&1 || fail "server no longer serves: $(tail "$dir/server.out")"
  exit $((failures > 0))
fi

start_server
out=$(timeout 30 "$client" --port "$port" 2>&1) || fail "client exits $?: $out"
wait "$pid" || fail "server exits $?"
server_out=$(cat "$dir/server.out")

expected_client="sent move and map in the current format
refresh: client client-1; unit 1,2 tank at 31,41 state 6;
sent move and map in the old format
refresh: client client-1; unit 1,2 tank at 32,42 state 7;"
[[ $out == "$expected_client" ]] || fail "client output: $out"
expected_server="listening on 127.0.0.1:$port
move: unit 1,2 to 31,41 state 6
map: 4 x 3 hexes
move: unit 1,2 to 32,42 state 7
map: 4 x 3 hexes
client-1 said goodbye"
[[ $server_out == "$expected_server" ]] || fail "server output: $server_out"

"$client" --port 0 >/dev/null 2>&1
[[ $? -eq 2 ]] || fail "a bad port must exit 2"
exit $((failures > 0))
