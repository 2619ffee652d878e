#!/usr/bin/env bash
# Saving under faults. Each way qvmap saves a map (set, new --force, the view's 's') must, on
# a full disk, a read-only mount and a read-only folder, exit 1 and leave the folder as it
# was: the map byte for byte, no new file beside it. Through a link, a save replaces the file
# the link leads to and keeps the link, the mode and the owner.
# Mounting needs root; without it the disk faults are injected through the file layer.
set -u
qvmap=$(realpath "$1")
dir=$(mktemp -d)
mnt=$dir/mnt
mkdir "$mnt"
trap 'mountpoint -q "$mnt" && umount "$mnt"; chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
source "$(dirname "$0")/expect.sh"
cp "$(dirname "$0")/../../data/MAP.BMP" "$dir/MAP.BMP"
chmod 755 "$dir"  # the unprivileged user reaches the folders below
if [[ $EUID -eq 0 ]]; then
  # It runs a copy of qvmap: the build folder may lie where only root may go.
  mkdir "$dir/bin" "$dir/lib"
  cp "$qvmap" "$dir/bin/" && cp -P "${qvmap%/bin/*}"/lib/lib*.so* "$dir/lib/"
  qvmap=$dir/bin/qvmap
fi
run=(env)         # what each save runs through: a fault to inject, another user

# A map whose header promises 40 x 40 cells while it holds 100: saving writes 1604 bytes.
short_map() { printf '\x28\0\x28\0' >"$1" && head -c 100 /dev/zero | tr '\0' '\4' >>"$1"; }
save() {  # save HOW FILE
  case $1 in
    set) "${run[@]}" "$qvmap" set "$2" 0 0 9 ;;
    new) "${run[@]}" "$qvmap" new "$2" --width 30 --height 30 --force ;;
    view) "${run[@]}" env SDL_VIDEODRIVER=offscreen "$qvmap" view "$2" --chips "$dir/MAP.BMP" \
      --script "click 5 20; key s; quit" ;;
  esac
}
snapshot() { ls -A "$1" && od -An -tx1 "$1/m.map"; }
refused() {  # refused FOLDER WHAT: every save of FOLDER/m.map fails and changes nothing
  local how out status before
  before=$(snapshot "$1")
  for how in set new view; do
    out=$(save $how "$1/m.map" 2>&1)
    status=$?
    [[ $status -eq 1 && $(snapshot "$1") == "$before" && $out == *m.map* ]] ||
      fail "$how on $2: status $status, folder $(ls -A "$1" | tr '\n' ' '), output: $out"
  done
}

if mount -t tmpfs -o size=64k tmpfs "$mnt" 2>/dev/null; then
  short_map "$mnt/m.map"
  dd if=/dev/zero of="$mnt/fill" bs=4096 2>/dev/null
  refused "$mnt" "a full disk"
  rm "$mnt/fill"
  mount -o remount,ro "$mnt"
  refused "$mnt" "a read-only mount"
else
  short_map "$mnt/m.map"
  for fault in ENOSPC EROFS; do
    run=(env QVDLL_FILE_FAULT=$fault)
    refused "$mnt" "$fault (injected)"
  done
  run=(env)
fi

# A folder that takes no new file: refused while the file is read-only too, written in place
# (with a note) by set once the file itself may be written.
ro=$dir/ro
mkdir "$ro"
short_map "$ro/m.map"
chmod 444 "$ro/m.map"
if [[ $EUID -eq 0 ]]; then run=(setpriv --reuid=nobody --regid=nogroup --clear-groups); fi
chmod 555 "$ro"
refused "$ro" "a read-only folder"
chmod 666 "$ro/m.map"
expect 0 "written over the file in place" -- "${run[@]}" "$qvmap" set "$ro/m.map" 0 0 9
[[ $(stat -c %s "$ro/m.map") -eq 1604 && $(ls -A "$ro") == m.map ]] || fail "in place: $(ls -lA "$ro")"
run=(env)

# Through a link, in modes that must not widen; the owner stays when root saves another's map.
ok=$dir/ok
mkdir "$ok"
# set writes over the old bytes; new --force and the document start afresh.
declare -A want=([set]=02000200090404047461696c [new]=1e001e000404040404040404 [view]=0200020005040404)
for mode in 600 640; do
  for how in set new view; do
    printf '\x02\0\x02\0\4\4\4\4tail' >"$ok/real.map"
    chmod "$mode" "$ok/real.map"
    [[ $EUID -ne 0 ]] || chown nobody:nogroup "$ok/real.map"
    ln -sfn real.map "$ok/link.map"
    before=$(stat -c %a:%U:%G "$ok/real.map")
    save $how "$ok/link.map" >/dev/null 2>&1 || fail "$how through a link in mode $mode: status $?"
    [[ -L $ok/link.map && $(stat -c %a:%U:%G "$ok/real.map") == "$before" &&
      $(ls -A "$ok" | tr '\n' ' ') == "link.map real.map " ]] || fail "$how, mode $mode: $(ls -lA "$ok")"
    [[ $(od -An -tx1 -N12 "$ok/real.map" | tr -d ' \n') == "${want[$how]}" ]] ||
      fail "$how, mode $mode, bytes: $(od -An -tx1 "$ok/real.map")"
  done
done
exit $((failures > 0))
