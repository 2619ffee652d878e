#!/usr/bin/env bash
# Runs qvmsg as a user would: records built from descriptions, byte for byte,
# and read back one after the other; bad input and bad usage.
set -u
qvmsg=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# A copy: map files are read under an exclusive lock and other tests read the sample too.
map=$dir/sample.map
cp "$2" "$map"
source "$(dirname "$0")/expect.sh"
hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

"$qvmsg" encode --text abc --version 1.0 -o "$dir/current.bin" || fail "encode exits $?"
[[ $(hex "$dir/current.bin") == "00 00 67 00 00 00 00 00 00 00 03 61 62 63" ]] || fail "current text: $(hex "$dir/current.bin")"
[[ $("$qvmsg" encode --text abc --hex) == "00 00 01 00 00 00 03 61 62 63" ]] || fail "old text as hex"
printf '\003\000\002\000abcdef' >"$dir/block"
"$qvmsg" encode --kind 111 --block "$dir/block" >"$dir/map.bin" || fail "map block exits $?"
[[ $(hex "$dir/map.bin") == "00 00 06 00 00 00 00 02 00 03 00 61 62 63 64 65 66" ]] || fail "old map: $(hex "$dir/map.bin")"

# A capture of several records, read back one after the other.
{
  cat "$dir/current.bin"
  "$qvmsg" encode --kind 106 --text 1,2,0,30,40,5
  "$qvmsg" encode --kind 111 --map "$map" --tag 9
  "$qvmsg" encode --kind 5 --client 'アリス' --list-unit '1,2,3,4,5,255,0,"戦車","t.bmp",0,0,0,0,""'
} >"$dir/capture.bin"
out=$("$qvmsg" decode "$dir/capture.bin") || fail "decode exits $?: $out"
for want in 'record 1: offset 0, 14 bytes, current format' 'text: "abc"' \
  'kind: 106 (old kind 4 on the wire)' 'text: "1,2,0,30,40,5"' 'tag: 9' 'map: 26 x 26 hexes' \
  '"アリス"' '"1,2,3,4,5,255,0,\"戦車\",\"t.bmp\",0,0,0,0,\"\""' '4 records'; do
  [[ $out == *"$want"* ]] || fail "decode output lacks '$want': $out"
done
out=$("$qvmsg" decode --hex - <"$dir/current.bin") || fail "decode of standard input exits $?"
[[ $out == *"| 00 00 67 00 00 00 00 00 00 00 03 61 62 63"* ]] || fail "hex dump: $out"

# Bad input exits 1 after the records that did read; bad usage exits 2.
head -c 20 "$dir/capture.bin" >"$dir/cut.bin"
out=$("$qvmsg" decode "$dir/cut.bin" 2>&1)
[[ $? -eq 1 && $out == *"record 2 at offset 14: archive ended"* ]] || fail "cut capture: $out"
printf '\003\000\002\000abc' >"$dir/short"
out=$("$qvmsg" encode --kind 111 --block "$dir/short" -o "$dir/none.bin" 2>&1)
[[ $? -eq 1 && $out == *"short of its 3 x 2 map"* && ! -s $dir/none.bin ]] || fail "short map block: $out"
"$qvmsg" decode "$dir/missing.bin" >/dev/null 2>&1
[[ $? -eq 1 ]] || fail "a missing file must exit 1"
for args in "frobnicate" "encode --kind 70000" "encode --tag x" "encode --map m --block b" \
  "encode --unit 1,2 --kind 103" "decode" "decode a b"; do
  "$qvmsg" $args >/dev/null 2>&1
  [[ $? -eq 2 ]] || fail "'qvmsg $args' must exit 2"
done
exit $((failures > 0))
