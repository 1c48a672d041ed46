#!/usr/bin/env bash
# deb_package BUILD: makes the Debian package, unpacks it into a throwaway root
# without installing it, checks what it holds and declares, and runs the demo
# day from there on the packaged virtual printer.
set -euo pipefail
build=$1
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
(cd "$build" && cpack -G DEB -B "$tmp/out" >/dev/null)
deb=$(ls "$tmp"/out/merid_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libstdc++6' || { echo "FAIL no dependencies declared"; exit 1; }
dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -f "$deb" Depends | grep -q 'libsqlite3' || { echo "FAIL meridd's libraries not declared"; exit 1; }
for f in usr/bin/meridctl usr/bin/meridd usr/lib/merid/libCeFdll.so usr/lib/libmerid_core.a usr/include/merid/MeridDLLManager.h \
  usr/include/merid/host.h usr/include/merid/version.h usr/lib/cmake/Merid/MeridConfig.cmake usr/lib/pkgconfig/merid.pc; do
  [ -e "$tmp/root/$f" ] || { echo "FAIL missing $f"; exit 1; }
done
"$tmp/root/usr/bin/meridctl" --sim-dir "$tmp/sim" --home "$tmp/home" --auto-ok demo >"$tmp/demo.txt" 2>&1 </dev/null ||
  { echo "FAIL meridctl demo"; cat "$tmp/demo.txt"; exit 1; }
grep -q "TOTALE" "$tmp/sim/tape.txt" || { echo "FAIL the demo printed no receipt"; exit 1; }
# meridd from the package finds the packaged virtual printer on its own.
printf '{"listen":{"port":0},"database":"%s","printers":[{"id":"p","home":"%s","simulatorFolder":"%s"}]}' \
  "$tmp/tasks.sqlite" "$tmp/meridd-home" "$tmp/meridd-sim" >"$tmp/meridd.json"
"$tmp/root/usr/bin/meridd" --config "$tmp/meridd.json" >"$tmp/meridd.txt" 2>&1 &
pid=$!
for _ in $(seq 50); do grep -q "listening" "$tmp/meridd.txt" 2>/dev/null && break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
grep -q "listening" "$tmp/meridd.txt" || { echo "FAIL packaged meridd did not start"; cat "$tmp/meridd.txt"; exit 1; }
