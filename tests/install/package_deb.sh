#!/usr/bin/env bash
# Packs the build as a .deb and lists it: what it depends on and what it holds.
#   package_deb.sh BUILD WORK
set -euo pipefail
rm -rf "$2"
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$2" >/dev/null
deb=$(echo "$2"/qvdll_*.deb)
dpkg-deb --field "$deb" Package Version Depends Recommends
dpkg-deb --contents "$deb" | awk '{print $6, $7, $8}' | tee "$2/contents"
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libc6 libpng16 libjpeg62-turbo libsdl2; do
  [[ $depends == *"$lib"* ]] || { echo "FAIL: no dependency on $lib" >&2; exit 1; }
done
for file in bin/qvmap bin/qvclient libqvdll.so.0.1 libqvplatform.so.0 qvdll/libJpeglib.so \
  include/qvdll/hexmap.h include/qvplatform/archive.h cmake/qvdll/qvdllConfigVersion.cmake \
  pkgconfig/qvdll.pc share/qvdll/Images/ship.jpg; do
  grep -q "/usr/.*$file" "$2/contents" || { echo "FAIL: $file is not in the package" >&2; exit 1; }
done
