#!/usr/bin/env bash
# Starts the example server on a free loopback port, runs the example client
# against it, and checks what each side received.
set -u
server=$1
client=$2
dir=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

timeout 30 "$server" --port 0 >"$dir/server.out" 2>&1 &
pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$dir/server.out")
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || { fail "server did not report its port: $(cat "$dir/server.out")"; exit 1; }

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
