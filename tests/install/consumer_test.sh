#!/usr/bin/env bash
# install_consumer BUILD SOURCE: installs the build into a scratch prefix,
# builds examples/cpp as a project of its own against it with find_package,
# and again with pkg-config, then prints a receipt through the installed
# virtual printer.
set -euo pipefail
build=$1 source=$2
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
cmake -S "$source/examples/cpp" -B "$tmp/example" -G Ninja -DCMAKE_PREFIX_PATH="$tmp/prefix" >/dev/null
cmake --build "$tmp/example" >/dev/null
PKG_CONFIG_PATH="$tmp/prefix/lib/pkgconfig" c++ -std=c++17 -o "$tmp/by-pkg-config" \
  "$source/examples/cpp/three_documents.cpp" $(PKG_CONFIG_PATH="$tmp/prefix/lib/pkgconfig" pkg-config --cflags --libs merid)
for program in "$tmp/example/three_documents" "$tmp/by-pkg-config"; do
  rm -rf "$tmp/home" "$tmp/sim" && mkdir -p "$tmp/home" "$tmp/sim"
  MERID_CEFDLL="$tmp/prefix/lib/merid/libCeFdll.so" MERID_HOME="$tmp/home" MERID_SIM_DIR="$tmp/sim" \
    "$program" >"$tmp/out.txt"
  if grep -q -- "-> False" "$tmp/out.txt"; then echo "FAIL $program"; cat "$tmp/out.txt"; exit 1; fi
  grep -q "TOTALE" "$tmp/sim/tape.txt" || { echo "FAIL no receipt on the tape"; exit 1; }
done
