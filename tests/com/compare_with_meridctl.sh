#!/usr/bin/env bash
# One host script two ways: through COM under Wine (three_documents.vbs, the
# DLL with the virtual printer CeFdll.dll beside it) and through meridctl on
# Linux. The answers and the paper tapes must be the same.
#   compare_with_meridctl.sh <bin-dir> <sim-dll-dir> <meridctl> <libCeFdll.so> <script> <vbs>
set -euo pipefail
bin=$(cd "$1" && pwd)
simdll=$2
meridctl=$3
linuxsim=$4
script=$5
vbs=$6
build=$(dirname "$bin")
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
winpath() { echo "Z:${1//\//\\}"; }
[ -x "$meridctl" ] || { echo "FAIL meridctl is not built: $meridctl"; exit 1; }

work="$build/com-home/compare"
rm -rf "$work"
mkdir -p "$work/windows" "$work/linux-home"
# The DLL's own folder holds the settings and the printer library it loads.
cp "$bin/MeridDLLManager.dll" "$simdll/CeFdll.dll" "$work/windows/"
restore() { "$wine" regsvr32 /s "$(winpath "$bin/MeridDLLManager.dll")" >/dev/null 2>&1 </dev/null || true; }
trap restore EXIT
"$wine" regsvr32 /s "$(winpath "$work/windows/MeridDLLManager.dll")" >/dev/null 2>&1 </dev/null
(unset MERID_HOME; MERID_SIM_DIR=$(winpath "$work/windows-printer") \
  "$wine" cscript //nologo "$(winpath "$vbs")" >"$work/windows.out" 2>&1 </dev/null) || true
tr -d '\r' <"$work/windows.out" >"$work/windows.txt"

"$meridctl" --printer "$linuxsim" --sim-dir "$work/linux-printer" --home "$work/linux-home" --auto-ok \
  run "$script" >"$work/linux.txt" 2>&1 </dev/null

# The tapes carry the time of day of each run.
mask() { sed -E 's/([0-9]{2}-[0-9]{2}-[0-9]{4}) [0-9]{2}:[0-9]{2}/\1 hh:mm/' "$1"; }
status=0
if ! diff -u "$work/linux.txt" "$work/windows.txt"; then echo "FAIL the answers differ"; status=1; fi
if [ ! -s "$work/linux-printer/tape.txt" ]; then echo "FAIL nothing printed"; status=1; fi
if ! diff -u <(mask "$work/linux-printer/tape.txt") <(mask "$work/windows-printer/tape.txt"); then
  echo "FAIL the tapes differ"
  status=1
fi
[ $status -eq 0 ] && echo "same answers and the same tape ($(wc -l <"$work/linux-printer/tape.txt") lines)"
exit $status
