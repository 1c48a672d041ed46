#!/usr/bin/env bash
# installer/makensis.sh X86_BUILD X64_BUILD OUTDIR: the two Windows installers
# from the two mingw builds (already built), into OUTDIR:
#   MeridDLLManager-<version>-x64-setup.exe  64-bit Windows: the 32-bit and the 64-bit DLL
#   MeridDLLManager-<version>-x86-setup.exe  32-bit Windows: the 32-bit DLL
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 X86_BUILD X64_BUILD OUTDIR" >&2; exit 2; }
source=$(cd "$(dirname "$0")/.." && pwd)
x86=$1/installer/payload.nsh x64=$2/installer/payload.nsh out=$3
command -v makensis >/dev/null || { echo "makensis is missing: apt-get install nsis" >&2; exit 1; }
for payload in "$x86" "$x64"; do
  [ -f "$payload" ] || { echo "$payload is missing: configure and build that mingw preset first" >&2; exit 1; }
  # The payload names files by generator expressions: each must be built.
  while read -r file; do
    [ -f "$file" ] || { echo "$file is missing: build it first (cmake --build --preset mingw-...)" >&2; exit 1; }
  done < <(sed -n 's/^!define [a-z0-9]*_[A-Z]* "\(.*\)"$/\1/p' "$payload" | grep /)
done
mkdir -p "$out"
for arch in x64 x86; do
  makensis -V2 -NOCD -DARCH=$arch -DX86_PAYLOAD="$x86" -DX64_PAYLOAD="$x64" -DSOURCE="$source" -DOUTDIR="$out" \
    "$source/installer/MeridDLLManager.nsi"
done
ls "$out"/MeridDLLManager-*-setup.exe
