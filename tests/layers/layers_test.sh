#!/usr/bin/env bash
# The layer check passes on the tree, and fails on a copy of it with one
# upward include and on one with a tool reaching into src/.
set -uo pipefail
root=$1 check=$1/scripts/check-layers
"$check" "$root" || { echo "FAIL the tree itself"; exit 1; }
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
for case in 'src/link/modError.h:#include "automation/wrapper.h"' 'tools/meridctl/run.cpp:#include "link/modError.h"'; do
  rm -rf "$tmp/tree" && mkdir -p "$tmp/tree" && cp -r "$root/src" "$root/tools" "$root/include" "$tmp/tree/"
  echo "${case#*:}" >>"$tmp/tree/${case%%:*}"
  if "$check" "$tmp/tree" >/dev/null; then echo "FAIL not caught: $case"; exit 1; fi
done
echo "layer check catches both"
