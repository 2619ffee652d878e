#!/usr/bin/env bash
# Runs qvunit on the sample unit lines and on bad input, checking output and exit status.
set -u
qvunit=$1
units=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/expect.sh"

out=$("$qvunit" show "$units") || fail "show exits $?"
[[ $out == *'name="歩兵"'* && $out == *"4 units"* ]] || fail "show output: $out"
"$qvunit" store "$units" "$dir/list.bin" >/dev/null || fail "store exits $?"
[[ $(od -An -tx1 -N4 "$dir/list.bin" | tr -d ' ') == 04000000 ]] || fail "count bytes"
out=$("$qvunit" load "$dir/list.bin") || fail "load exits $?"
[[ $out == *'pos=16,9'* ]] || fail "load output: $out"
head -c 20 "$dir/list.bin" >"$dir/cut.bin"
"$qvunit" load "$dir/cut.bin" >/dev/null 2>&1
[[ $? -eq 1 ]] || fail "a cut archive must exit 1"
"$qvunit" frobnicate >/dev/null 2>&1
[[ $? -eq 2 ]] || fail "an unknown command must exit 2"
exit $((failures > 0))
