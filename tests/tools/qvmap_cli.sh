#!/usr/bin/env bash
# Runs qvmap as a user would and checks its output and exit status.
set -u
qvmap=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

expect() {  # expect STATUS EXPECTED-OUTPUT-PATTERN -- COMMAND...
  local status=$1 pattern=$2
  shift 3
  local out
  out=$("$@" 2>&1)
  local got=$?
  if [[ $got -ne $status || ! $out =~ $pattern ]]; then
    echo "FAIL: $* -> status $got (want $status), output: $out (want /$pattern/)"
    failures=$((failures + 1))
  fi
}

m=$dir/m.map
expect 0 "new 3 x 2 map, every cell 7" -- "$qvmap" new "$m" --width 3 --height 2 --fill 7
[[ $(od -An -tx1 "$m" | tr -s ' ') == " 02 00 03 00 07 07 07 07 07 07" ]] || { echo "FAIL: file bytes"; failures=$((failures + 1)); }
expect 1 "exists" -- "$qvmap" new "$m"
expect 0 "3 x 2 hexes \(6 cells\), picture 130 x 100 pixels" -- "$qvmap" info "$m"
expect 0 "value   7:        6 cells" -- "$qvmap" info "$m"
expect 0 "^7$" -- "$qvmap" get "$m" B 1
expect 0 ": 7 -> 9" -- "$qvmap" set "$m" c 1 9
expect 0 "^9$" -- "$qvmap" get "$m" 2 1
expect 1 "outside the 3 x 2 map" -- "$qvmap" get "$m" 3 0
expect 2 "V must lie between 0 and 255" -- "$qvmap" set "$m" 0 0 256
expect 2 "Y must be a whole number" -- "$qvmap" get "$m" 0 x
expect 2 "unknown command" -- "$qvmap" frobnicate
expect 1 "no map file" -- "$qvmap" info "$dir/none.map"
printf '\x05\x00' >"$dir/short.map"
expect 1 "cannot read map file" -- "$qvmap" info "$dir/short.map"
printf '\x02\x00\x03\x00\x01' >"$dir/cut.map"
expect 0 "holds 1 of 6 cells" -- "$qvmap" info "$dir/cut.map"
expect 0 "new 1 x 1 map" -- "$qvmap" new "$m" --width 1 --height 1 --force
[[ $(stat -c %s "$m") -eq 5 ]] || { echo "FAIL: --force leaves old bytes"; failures=$((failures + 1)); }
expect 0 "^0 0 \(A,1\)$" -- "$qvmap" hex 25 20
expect 0 "^1 -1 \(B,0\)  \(outside any map\)$" -- "$qvmap" hex 45 5
expect 0 "nearest candidate" -- "$qvmap" hex 2 2
expect 0 "^5$" -- "$qvmap" dist A 0 E 3
expect 0 "^26$" -- "$qvmap" dist 0 0 AA 0
exit $((failures > 0))
