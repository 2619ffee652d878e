#!/usr/bin/env bash
# Runs qvmap as a user would and checks its output and exit status.
set -u
qvmap=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# qvmap's own temporary folders go here, so that what other runs left in /tmp is not seen.
export TMPDIR=$dir/tmp
mkdir "$TMPDIR"
source "$(dirname "$0")/expect.sh"

m=$dir/m.map
expect 0 "new 3 x 2 map, every cell 7" -- "$qvmap" new "$m" --width 3 --height 2 --fill 7
[[ $(od -An -tx1 "$m" | tr -s ' ') == " 02 00 03 00 07 07 07 07 07 07" ]] || fail "file bytes"
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
# A header promising 65535 x 65535 cells, and 16 of them: answered at once (a plain build
# takes a tenth of a second; a sanitizer build seconds, for the shadow of 4 GiB of cells).
printf '\xff\xff\xff\xff0123456789abcdef' >"$dir/huge.map"
expect 0 "holds 16 of 4294836225 cells.*value   0: 4294836209 cells" -- timeout 60 "$qvmap" info "$dir/huge.map"
expect 0 "new 1 x 1 map" -- "$qvmap" new "$m" --width 1 --height 1 --force
[[ $(stat -c %s "$m") -eq 5 ]] || fail "--force leaves old bytes"
expect 0 "^0 0 \(A,1\)$" -- "$qvmap" hex 25 20
expect 0 "^1 -1 \(B,0\)  \(outside any map\)$" -- "$qvmap" hex 45 5
expect 0 "nearest candidate" -- "$qvmap" hex 2 2
expect 0 "^5$" -- "$qvmap" dist A 0 E 3
expect 0 "^26$" -- "$qvmap" dist 0 0 AA 0

# Drawing through the library's document and view: the sample map with the sample chips,
# copied, since map files are read under an exclusive lock and other tests read them too.
cp -r "$(dirname "$0")/../../data" "$dir/data"
data=$dir/data
png_size() {  # the width and height in a PNG's header
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }'
}
mkdir "$TMPDIR/qvmap-chips-999999999-left"  # by a run that was killed
expect 0 "the whole 26 x 26 map, 1050 x 1060 pixels" -- "$qvmap" render "$data/sample.map" -o "$dir/all.png" --chips "$data/MAP.BMP"
[[ $(png_size "$dir/all.png") == 1050x1060 ]] || fail "whole map size $(png_size "$dir/all.png")"
expect 0 "a 400 x 300 window .* at 650,40 \(as far as the window goes\)" -- "$qvmap" render "$data/sample.map" -o "$dir/w.png" --chips "$data/MAP.BMP" --scroll 9999,40 --size 400,300
[[ $(png_size "$dir/w.png") == 400x300 ]] || fail "window size $(png_size "$dir/w.png")"
[[ -z $(ls "$TMPDIR") ]] || fail "a chip folder was left behind: $(ls "$TMPDIR")"
expect 2 "--scroll moves a window" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --scroll 1,1
expect 2 "needs -o" -- "$qvmap" render "$data/sample.map"
expect 2 "--size must lie between 1 and 32767" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --size 0,5
expect 1 "no map file" -- "$qvmap" render "$dir/none.map" -o "$dir/x.png" --chips "$data/MAP.BMP"
expect 1 "cannot read map file" -- "$qvmap" render "$dir/short.map" -o "$dir/x.png" --chips "$data/MAP.BMP"
expect 1 "2621410 x 2621420 pixels, is larger than a picture can be" -- timeout 60 "$qvmap" render "$dir/huge.map" -o "$dir/x.png" --chips "$data/MAP.BMP"
expect 1 "no chip sheet 'MAP.BMP' \(the view reads MAP.BMP from the current folder" -- env -C "$dir" "$qvmap" render "$data/sample.map" -o x.png
expect 1 "no chip sheet" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --chips "$dir/none.bmp"
echo "not a picture" >"$dir/bad.bmp"
expect 1 "is not a BMP picture" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --chips "$dir/bad.bmp"
# A 1 x 1 picture: smaller than a chip.
printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xff\xff\xff\0' >"$dir/tiny.bmp"
expect 1 "is 1 x 1 pixels: smaller than one chip" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --chips "$dir/tiny.bmp"
expect 0 "new 2 x 2 map, every cell 200" -- "$qvmap" new "$dir/far.map" --width 2 --height 2 --fill 200 --force
expect 0 "4 cells have values past the sheet's 16 chips" -- "$qvmap" render "$dir/far.map" -o "$dir/x.png" --chips "$data/MAP.BMP"
# With MAP.BMP in the current folder, as the view expects it.
cp "$data/MAP.BMP" "$dir/map.bmp"
expect 0 "the whole 2 x 2 map, 90 x 100 pixels" -- env -C "$dir" "$qvmap" render far.map -o far.png

# The real window, on SDL's offscreen driver: keys scroll, a click cycles a cell, s saves.
v=$dir/v.map
cp "$data/sample.map" "$v"
expect 0 "3,4 \(D,5\): 0 -> 1.*saved" -- env SDL_VIDEODRIVER=offscreen "$qvmap" view "$v" --chips "$data/MAP.BMP" --size 400,300 --script "key pgdn; key right; click 100 100; shot $dir/v.png; key s; quit"
expect 0 "^1$" -- "$qvmap" get "$v" D 4
[[ $(png_size "$dir/v.png") == 416x316 ]] || fail "view shot $(png_size "$dir/v.png")"
before=$("$qvmap" get "$v" A 0)
expect 1 "0,0 \(A,1\): $before -> .*were not saved" -- env SDL_VIDEODRIVER=offscreen "$qvmap" view "$v" --chips "$data/MAP.BMP" --script "click 5 20; quit"
expect 0 "^$before$" -- "$qvmap" get "$v" A 0
expect 2 "unknown action 'jump'" -- env SDL_VIDEODRIVER=offscreen "$qvmap" view "$v" --chips "$data/MAP.BMP" --script "jump"
expect 1 "in a window: no display" -- env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$qvmap" view "$v" --chips "$data/MAP.BMP"
exit $((failures > 0))
