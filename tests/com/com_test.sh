#!/usr/bin/env bash
# com_test.sh static <objdump> <dll> <tlb> <syskind> <version>: the DLL checked without running it.
# com_test.sh wine <bin> <tests>: the COM tests under Wine, in a fresh prefix:
# wine64, or the wine named by MERID_WINE (scripts/wine32 names its 32-bit one) and WINESERVER.
set -euo pipefail
status=0
fail() { echo "FAIL $*"; status=1; }
hex() { od -An -v -tx1 "$@" | tr -d ' \n'; }

if [ "$1" = static ]; then
  dump=$("$2" -p "$3")
  exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$dump" | sort | xargs)
  [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer" ] || fail "exports $exports"
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr A-Z a-z | sort | xargs)
  [ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll" ] || fail "imports $imports"
  # "MSFT", the platform in the low bits of the flags (SYS_WIN32 = 1, SYS_WIN64 = 3), version 3.2.
  header=$(hex -N 28 "$4")
  [ "${header:0:8} $((0x${header:40:2} & 15)) ${header:48:8}" = "4d534654 $5 03000200" ] || fail "type library $header"
  grep -qF -e "$(hex "$4")" <(hex "$3") || fail "the type library is not embedded in the DLL"
  # The version resource names the project version (UTF-16 strings).
  strings -el "$3" | grep -A1 -x FileVersion | tail -n 1 | grep -qx "$6" || fail "no FileVersion $6 in the DLL"
  exit $status
fi

bin=$2 tests=$3 home=$(dirname "$2")/com-home
winpath() { echo "Z:${1//\//\\}"; }
export WINEPREFIX=$(dirname "$bin")/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export MERID_RECORD=$(winpath "$bin/cefdll-record.txt")
wine=${MERID_WINE:-$(command -v /usr/lib/wine/wine64 wine64 | head -n 1)}
wineserver=${WINESERVER:-${wine%64}server}
# A program under Wine with a settings folder of its own, writing to a file (Wine's helpers outlive it).
run() {
  mkdir -p "$home/$1"
  MERID_HOME=$(winpath "$home/$1") "$wine" "${@:2}" >"$home/$1.log" 2>&1 </dev/null
}
"$wineserver" -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX" "$home"
mkdir -p "$WINEPREFIX" "$home"
"$wine" wineboot -i >/dev/null 2>&1 </dev/null

# The DLL with the printer recorder beside it: com_client pins what each operation sends, and the
# documents themselves are the Linux tests' work. What registration writes and removes is checked
# by the installer test (tests/install).
run regsvr32 regsvr32 /s "$(winpath "$bin/MeridDLLManager.dll")" || fail "regsvr32"
# cscript exits 0 after a script error: the suite prints its own verdict.
run vbs cscript //nologo "$(winpath "$tests/late_binding.vbs")" || fail "cscript"
run client "$(winpath "$bin/com_client.exe")" || fail "com_client"
tr -d '\r' <"$home/vbs.log" && cat "$home/client.log"
grep -q "vbs suite passed" "$home/vbs.log" || fail "late_binding.vbs did not pass"
"$wineserver" -k >/dev/null 2>&1 || true
exit $status
