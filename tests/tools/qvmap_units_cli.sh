#!/usr/bin/env bash
# qvmap render and view with --units, as a user runs them: in the sample data folder, where
# the unit pictures lie under Images.
set -u
qvmap=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# A copy of the data: map files are read under an exclusive lock and other tests read them too.
cp -r "$2" "$dir/data"
data=$dir/data
source "$(dirname "$0")/expect.sh"

expect 0 "4 of 4 units on the map, 2 from picture files.*the whole 26 x 26 map" -- \
  env -C "$data" "$qvmap" render sample.map -o "$dir/units.png" --units units.txt
expect 0 "4 of 4 units on the map, 2 from picture files.*a 300 x 200 window" -- \
  env -C "$data" "$qvmap" render sample.map -o "$dir/w.png" --units units.txt --scroll 400,360 --size 300,200
# Elsewhere the pictures are not found: the units are drawn as boxes, with a warning each.
expect 0 "picture 'Images.tank.bmp' did not load.*4 of 4 units on the map, 0 from picture files" -- \
  "$qvmap" render "$data/sample.map" -o "$dir/boxes.png" --chips "$data/MAP.BMP" --units "$data/units.txt"
expect 1 "cannot open unit file '$dir/none.txt'" -- \
  "$qvmap" render "$data/sample.map" -o "$dir/x.png" --chips "$data/MAP.BMP" --units "$dir/none.txt"
expect 2 "option '--units' needs a value" -- "$qvmap" render "$data/sample.map" -o "$dir/x.png" --units
expect 0 "4 of 4 units on the map" -- \
  env -C "$data" SDL_VIDEODRIVER=offscreen "$qvmap" view sample.map --units units.txt --script "shot $dir/v.png; quit"
[[ -s $dir/v.png ]] || fail "no view shot"
exit $((failures > 0))
