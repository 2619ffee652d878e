#!/usr/bin/env bash
# qvmap export and import as a level designer uses them: files come back byte for byte,
# maps that Tiled itself wrote in each layer encoding are read, and a refused file leaves
# the target as it was.
set -u
qvmap=$(realpath "$1")
data=$(realpath "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
source "$(dirname "$0")/expect.sh"
cd "$dir" || exit 1
cp "$data/sample.map" "$data/MAP.BMP" .
export QT_QPA_PLATFORM=offscreen

same() { cmp -s "$1" "$2" || fail "$3: $1 differs from $2"; }  # same FILE1 FILE2 WHAT

printf '\x11\x00\x0d\x00' >random.map && head -c $((17 * 13)) /dev/urandom >>random.map
for map in sample random; do
  for form in tmx tmj; do
    expect 0 "tileset $map-$form-chips.png" -- "$qvmap" export $map.map -o $map-$form.$form
    expect 0 "map from" -- "$qvmap" import $map-$form.$form -o $map-$form.map
    same $map-$form.map $map.map "round trip through .$form"
  done
done
expect 1 "exists \(use --force" -- "$qvmap" export sample.map -o sample-tmx.tmx
expect 1 "exists \(use --force" -- "$qvmap" import sample-tmx.tmx -o sample.map
expect 2 "must end in .tmx" -- "$qvmap" export sample.map -o x.txt

# Tiled keeps a map's layer encoding when it saves it again, and writes JSON on request.
for encoding in csv base64 base64-zlib base64-gzip base64-zstd; do
  "$qvmap" export sample.map -o e-$encoding.tmx --encoding $encoding >/dev/null
  for form in tmx tmj; do
    tiled --export-map e-$encoding.tmx t-$encoding.$form 2>/dev/null || fail "tiled"
    expect 0 "map from" -- "$qvmap" import t-$encoding.$form -o t-$encoding-$form.map
    same t-$encoding-$form.map sample.map "Tiled's $encoding .$form"
  done
  grep -q "encoding=\"${encoding%%-*}\"" t-$encoding.tmx || fail "Tiled changed $encoding"
done

# The chip tileset kept in a file of its own.
sed -n '/<tileset/,/<\/tileset>/p' sample-tmx.tmx | sed 's/ firstgid="1"//' >chips.tsx
sed '/<tileset/,/<\/tileset>/c\ <tileset firstgid="1" source="chips.tsx"/>' sample-tmx.tmx >external.tmx
expect 0 "map from" -- "$qvmap" import external.tmx -o external.map
same external.map sample.map "external tileset"
sed -i 's/tilewidth="50"/tilewidth="64"/' chips.tsx
expect 1 "chip tileset 'chips.tsx' has tiles of 64 x 40" -- "$qvmap" import external.tmx -o external.map --force

# A refused map leaves the target as it was, even with --force.
cp sample.map kept.map
sed 's/"odd"/"even"/' sample-tmx.tmx >even.tmx
expect 1 "^qvmap: even.tmx: the map's staggerindex is 'even'" -- "$qvmap" import even.tmx -o kept.map --force
head -c 300 sample-tmx.tmx >cut.tmx
expect 1 "cut.tmx: the map: malformed XML" -- "$qvmap" import cut.tmx -o kept.map --force
same kept.map sample.map "target after a refused import"
[[ -z $(ls ./*.XXXXXX ./kept.map.* 2>/dev/null) ]] || fail "temporary files left"
exit $((failures > 0))
