#!/usr/bin/env bash
# The library as a host takes it, the build tree out of reach: no path into it, no
# run path to it, no environment pointing at it.
#   host_check.sh install BUILD PREFIX     installs BUILD into PREFIX and runs its tools
#   host_check.sh cmake WORK PREFIX        builds examples/host in WORK with find_package
#   host_check.sh pkg-config WORK PREFIX   the same source with pkg-config flags only
set -euo pipefail
unset LD_LIBRARY_PATH QVDLL_LIBRARY_PATH
mode=$1 prefix=$3
host=$(cd "$(dirname "$0")/../../examples/host" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

case $mode in
install)
  rm -rf "$prefix"
  cmake --install "$2" --prefix "$prefix" >/dev/null
  # shellcheck disable=SC2016
  readelf -d "$prefix"/bin/* "$prefix"/lib*/*/libqv*.so.* "$prefix"/lib*/*/qvdll/*.so \
    | grep -E 'R(UN)?PATH' | grep -vE '\[\$ORIGIN[^]:]*(:\$ORIGIN[^]:]*)*\]$' &&
    fail "a run path entry that is not relative to the binary"
  [[ $("$prefix/bin/qvmap" --version) == "qvmap $QVDLL_VERSION" ]] || fail "qvmap --version"
  # The sample units' JPEG pictures need the module from the library's private folder.
  out=$(mktemp -d)
  (cd "$prefix/share/qvdll" && "$prefix/bin/qvmap" render sample.map --units units.txt \
     -o "$out/units.png") 2>"$out/err" || fail "qvmap render: $(cat "$out/err")"
  [[ ! -s $out/err ]] || fail "qvmap render warned: $(cat "$out/err")"
  rm -rf "$out"
  ;;
cmake)
  rm -rf "$2"
  cmake -S "$host" -B "$2" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$2" >/dev/null
  "$2/host" "$prefix/share/qvdll/sample.map"
  ;;
pkg-config)
  mkdir -p "$2"
  PKG_CONFIG_PATH=$(echo "$prefix"/lib*/*/pkgconfig)
  export PKG_CONFIG_PATH
  # shellcheck disable=SC2046
  g++ -std=c++20 "$host/host.cpp" -o "$2/host-pc" $(pkg-config --cflags --libs qvdll) \
    -Wl,-rpath,"$(pkg-config --variable=libdir qvdll)"
  "$2/host-pc" "$prefix/share/qvdll/sample.map"
  ;;
*) fail "unknown mode $mode" ;;
esac
