#!/usr/bin/env bash
# The steps of the COM tests; the Wine prefix lives beside <bin>.
#   com_test.sh static <objdump> <dll> <tlb> <syskind>    the DLL checked without running it
#   com_test.sh setup|teardown <bin>                      fresh prefix and regsvr32 | regsvr32 /u
#   com_test.sh run <bin> <program> [args]                under Wine, with a fresh settings folder
#   com_test.sh compare <bin> <sim> <linux-bin> <script>  a host script through COM and through meridctl
set -euo pipefail
step=$1
shift
status=0
fail() { echo "FAIL $*"; status=1; }
hex() { od -An -v -tx1 "$@" | tr -d ' \n'; }

if [ "$step" = static ]; then
  dump=$("$1" -p "$2")
  exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$dump" | sort | xargs)
  [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ] || fail "exports $exports"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr A-Z a-z | sort | xargs)
  [ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll" ] || fail "imports $imports"
  # "MSFT", the platform in the low bits of the flags (SYS_WIN32 = 1, SYS_WIN64 = 3), version 3.2.
  header=$(hex -N 28 "$3")
  [ "${header:0:8} $((0x${header:40:2} & 15)) ${header:48:8}" = "4d534654 $4 03000200" ] || fail "type library $header"
  grep -qF -e "$(hex "$3")" <(hex "$2") || fail "the type library is not embedded in the DLL"
  exit $status
fi

bin=$(cd "$1" && pwd)
shift
build=$(dirname "$bin")
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" MERID_RECORD MERID_HOME
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
winpath() { echo "Z:${1//\//\\}"; }
dll=$(winpath "$bin/MeridDLLManager.dll")
MERID_RECORD=$(winpath "$bin/cefdll-record.txt")
# Wine's helper processes outlive the program and would hold CTest's pipe
# open: the program writes to a file, shown afterwards.
run_logged() {
  local log="$build/com-home/$1.log" rc=0
  shift
  "$@" >"$log" 2>&1 </dev/null || rc=$?
  tr -d '\r' <"$log"
  return $rc
}
keys=(HKCR\\MeridDLLManager.MeridTallo_{Scontrino,Fattura,NAccr} 'HKCR\TypeLib\{B6856DAD-AF0A-41FE-8B65-44D70F38E77E}'
  'HKCR\CLSID\{2DE1E6E3-E10C-4A5C-995B-7E2F98C31AA3}')

case "$step" in
  setup)
    "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX" "$build/com-home"
    mkdir -p "$build/com-home" "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null
    run_logged regsvr32 "$wine" regsvr32 /s "$dll"
    # Each class is known by its ProgID and runs in the host's apartment.
    for key in "${keys[@]:0:3}"; do
      clsid=$("$wine" reg query "$key\\CLSID" 2>/dev/null | grep -o '{[-0-9A-Fa-f]*}' || true)
      "$wine" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel 2>/dev/null | grep -q Apartment ||
        fail "$key: no CLSID or no ThreadingModel=Apartment"
    done
    "$wine" reg query "${keys[3]}" >/dev/null 2>&1 || fail "the type library is not registered"
    ;;
  run)
    name=$(basename "${!#}")
    rm -rf "$build/com-home/$name" "$bin/cefdll-record.txt"
    mkdir -p "$build/com-home/$name"
    MERID_HOME=$(winpath "$build/com-home/$name")
    args=()
    for arg; do if [ -e "$arg" ]; then args+=("$(winpath "$arg")"); else args+=("$arg"); fi; done
    run_logged "$name" "$wine" "${args[@]}"
    ;;
  compare)
    sim=$1 linux=$2 script=$3 work="$build/com-home/compare"
    rm -rf "$work"
    mkdir -p "$work/windows" "$work/linux-home"
    # The DLL's own folder holds the settings and the printer library it loads.
    cp "$bin/MeridDLLManager.dll" "$sim/CeFdll.dll" "$work/windows/"
    trap '"$wine" regsvr32 /s "$dll" >/dev/null 2>&1 </dev/null' EXIT
    "$wine" regsvr32 /s "$(winpath "$work/windows/MeridDLLManager.dll")" >/dev/null 2>&1 </dev/null
    # The script as VBScript: objects by ProgID, each call printed as meridctl prints it.
    { echo 'Const kMerid_Normale = 1, kMerid_Grassetto = 2'
      sed -E -e 's/^(\w+) = (\w+)$/Set \1 = CreateObject("MeridDLLManager.\2")/;t' \
        -e 's/^(\w+)\.(InitComunicazione|ChiudiConnessioneCOM)\b(.*)/\1.\2\3: WScript.Echo "\1.\2"/;t' \
        -e 's/^(\w+)\.(\w+)(.*)/r = \1.\2(\3): If IsEmpty(r) Then r = "Empty"\nWScript.Echo "\1.\2 -> " \& r/' \
        "$script"; } >"$work/script.vbs"
    (unset MERID_HOME; export MERID_SIM_DIR=$(winpath "$work/windows-printer")
      run_logged compare/windows "$wine" cscript //nologo "$(winpath "$work/script.vbs")" >"$work/windows.txt")
    "$linux/meridctl" --printer "$linux/libCeFdll.so" --sim-dir "$work/linux-printer" --home "$work/linux-home" \
      --auto-ok run "$script" >"$work/linux.txt" 2>&1 </dev/null
    # The tapes carry the time of day of each run.
    mask() { sed -E 's/([0-9]{2}-[0-9]{2}-[0-9]{4}) [0-9]{2}:[0-9]{2}/\1 hh:mm/' "$1"; }
    diff -u "$work/linux.txt" "$work/windows.txt" || fail "the answers differ"
    [ -s "$work/linux-printer/tape.txt" ] || fail "nothing printed"
    diff -u <(mask "$work/linux-printer/tape.txt") <(mask "$work/windows-printer/tape.txt") || fail "the tapes differ"
    ;;
  teardown)
    run_logged unregister "$wine" regsvr32 /u /s "$dll"
    for key in "${keys[@]}"; do
      if "$wine" reg query "$key" >/dev/null 2>&1; then fail "still registered: $key"; fi
    done
    "$(dirname "$wine")/wineserver" -k >/dev/null 2>&1 || true
    ;;
esac
exit $status
