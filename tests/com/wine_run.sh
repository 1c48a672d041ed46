#!/usr/bin/env bash
# Runs one step of the COM tests under Wine, in a prefix of the build tree.
#   wine_run.sh setup <bin-dir>             fresh prefix, regsvr32 of the DLL
#   wine_run.sh vbs <bin-dir> <suite.vbs>   cscript, with a fresh settings folder
#   wine_run.sh exe <bin-dir> <program.exe> [args]
#   wine_run.sh teardown <bin-dir>          regsvr32 /u, then the entries must be gone
# The prefix lives beside <bin-dir>; CTest runs setup once per test run.
set -euo pipefail
step=$1
bin=$(cd "$2" && pwd)
shift 2
build=$(dirname "$bin")
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko installer: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
winpath() { echo "Z:${1//\//\\}"; }
dll=$(winpath "$bin/MeridDLLManager.dll")
export MERID_RECORD
MERID_RECORD=$(winpath "$bin/cefdll-record.txt")

# Wine starts helper processes (wineserver, services, rpcss) that outlive the
# program and would hold CTest's output pipe open: the program writes to a
# file, which is shown afterwards.
run_logged() {
  local log="$build/com-home/$1.log" rc=0
  shift
  "$@" >"$log" 2>&1 </dev/null || rc=$?
  cat "$log"
  return $rc
}

fresh_home() {
  local home="$build/com-home/$1"
  rm -rf "$home"
  mkdir -p "$home"
  rm -f "$bin/cefdll-record.txt"
  export MERID_HOME
  MERID_HOME=$(winpath "$home")
}

case "$step" in
  setup)
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX" "$build/com-home"
    mkdir -p "$build/com-home" "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null
    run_logged regsvr32 "$wine" regsvr32 /s "$dll"
    # Each class is known by its ProgID and runs in the host's apartment.
    for class in MeridTallo_Scontrino MeridTallo_Fattura MeridTallo_NAccr; do
      clsid=$("$wine" reg query "HKCR\\MeridDLLManager.$class\\CLSID" 2>/dev/null | grep -o '{[-0-9A-Fa-f]*}' || true)
      model=$("$wine" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel 2>/dev/null || true)
      if [ -z "$clsid" ] || ! grep -q 'Apartment' <<<"$model"; then
        echo "FAIL $class: ProgID or ThreadingModel=Apartment missing"
        exit 1
      fi
    done
    echo "registered $dll"
    ;;
  vbs)
    suite=$1
    fresh_home "$(basename "$suite" .vbs)"
    # cscript exits 0 after a script error, so the suite prints its own
    # verdict and CTest matches it.
    run_logged "$(basename "$suite" .vbs)" "$wine" cscript //nologo "$(winpath "$suite")"
    ;;
  exe)
    program=$1
    shift
    fresh_home "$(basename "$program" .exe)-$*"
    run_logged "$(basename "$program" .exe)-$*" "$wine" "$(winpath "$program")" "$@"
    ;;
  teardown)
    run_logged unregister "$wine" regsvr32 /u /s "$dll"
    status=0
    for key in 'HKCR\MeridDLLManager.MeridTallo_Scontrino' 'HKCR\MeridDLLManager.MeridTallo_Fattura' \
               'HKCR\MeridDLLManager.MeridTallo_NAccr' 'HKCR\TypeLib\{B6856DAD-AF0A-41FE-8B65-44D70F38E77E}' \
               'HKCR\CLSID\{2DE1E6E3-E10C-4A5C-995B-7E2F98C31AA3}'; do
      if "$wine" reg query "$key" >/dev/null 2>&1; then
        echo "FAIL still registered: $key"
        status=1
      fi
    done
    "$wineserver" -k >/dev/null 2>&1 || true
    [ $status -eq 0 ] && echo "unregistered"
    exit $status
    ;;
  *)
    echo "unknown step $step" >&2
    exit 2
    ;;
esac
