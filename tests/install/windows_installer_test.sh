#!/usr/bin/env bash
# windows_installer_test.sh KIND X86_BUILD X64_BUILD SOURCE: makes the installers; in a throwaway Wine
# prefix installs the one of KIND silently with the virtual printer, prints a receipt through the
# installed DLL from VBScript, uninstalls silently and checks that the registration and our files are
# gone. x64 under wine64, beside a printer maker's 32-bit CeFdll.dll that must stay as it is; x86 under
# the 32-bit Wine of scripts/wine32 (MERID_WINE, WINESERVER).
set -euo pipefail
kind=$1 x86=$2 x64=$3 source=$4
[ -f "$x64/installer/payload.nsh" ] ||
  { echo "SKIPPED: no 64-bit Windows build in $x64 (cmake --preset mingw-x64 && cmake --build --preset mingw-x64)"; exit 77; }
# The x86 installer runs under the 32-bit Wine, which exits 77 where it cannot be had.
if [ "$kind" = x86 ] && [ -z "${MERID_WINE:-}" ]; then exec "$source/scripts/wine32" "$0" "$@"; fi
wine=${MERID_WINE:-$(command -v /usr/lib/wine/wine64 wine64 | head -n 1)} || { echo "FAIL wine64 is missing"; exit 1; }
wineserver=${WINESERVER:-${wine%64}server}
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
status=0
fail() { echo "FAIL $*"; status=1; }
tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k >/dev/null 2>&1 || true; rm -rf "$tmp"' EXIT
winpath() { echo "Z:${1//\//\\}"; }
# Wine's helper processes outlive a program and would hold CTest's pipe open.
run() { local log=$1; shift; "$wine" "$@" >"$tmp/$log.log" 2>&1 </dev/null; }

"$source/installer/makensis.sh" "$x86" "$x64" "$tmp/out" >"$tmp/makensis.log" 2>&1 ||
  { cat "$tmp/makensis.log"; echo "FAIL makensis"; exit 1; }
version=$(sed -n 's/^!define x64_VERSION "\(.*\)"$/\1/p' "$x64/installer/payload.nsh")
setup=$tmp/out/MeridDLLManager-$version-$kind-setup.exe
strings -el "$setup" | grep -A1 -x ProductVersion | tail -n 1 | grep -qx "$version" || fail "no ProductVersion $version"

"$wineserver" -k >/dev/null 2>&1 || true
"$wine" wineboot -i >/dev/null 2>&1 </dev/null
# The default folder, with the space of "Program Files" in the commands the installer runs.
dir="$WINEPREFIX/drive_c/Program Files/MeridDLLManager" windir='C:\Program Files\MeridDLLManager'
maker="the printer maker's CeFdll.dll"
if [ "$kind" = x64 ]; then mkdir -p "$dir/x86" && echo "$maker" >"$dir/x86/CeFdll.dll"; fi
# Under wine64 first without the virtual printer (off by default), then again
# with it over that installation, which keeps the shop's edited settings.
edited="; the shop's own settings"
if [ "$kind" = x64 ]; then
  run install "$setup" /S || fail "the installer exits with $? ($(cat "$tmp/install.log"))"
  "$wineserver" -w
  [ ! -e "$dir/x64/CeFdll.dll" ] || fail "the virtual printer is installed without being picked"
  echo "$edited" >>"$dir/x64/MeridFiscal.ini"
fi
run install "$setup" /S /VIRTUALPRINTER || fail "the installer exits with $? ($(cat "$tmp/install.log"))"
"$wineserver" -w
if [ "$kind" = x64 ]; then
  [ "$(tail -n 1 "$dir/x64/MeridFiscal.ini")" = "$edited" ] || fail "a reinstallation replaced the edited MeridFiscal.ini"
  sed -i '$d' "$dir/x64/MeridFiscal.ini"
fi

# What the payload names must be installed, byte for byte.
payload() { sed -n "s/^!define $1 \"\(.*\)\"$/\1/p" "$2/installer/payload.nsh"; }
check_same() { [ -f "$dir/$1" ] && cmp -s "$2" "$dir/$1" || fail "$1 is not $2"; }
build=$x64 && [ "$kind" = x86 ] && build=$x86
kinds=(x86) && [ "$kind" = x64 ] && kinds=(x86 x64)
for k in "${kinds[@]}"; do
  b=$x64 && [ "$k" = x86 ] && b=$x86
  check_same "$k/MeridDLLManager.dll" "$(payload "${k}_DLL" "$b")"
  for ini in MeridFiscal.ini display.ini; do check_same "$k/$ini" "$source/examples/ini/$ini"; done
done
check_same "$kind/CeFdll.dll" "$(payload "${kind}_SIM" "$build")"
# The programs, where this tree builds them for Windows (programs_test.sh runs them).
for tool in MERIDCTL MERIDD; do
  file=$(payload "${kind}_$tool" "$build")
  [ -z "$file" ] || check_same "$kind/$(basename "$file")" "$file"
done
[ "$kind" = x64 ] || [ ! -e "$dir/x64" ] || fail "the x86 installer made an x64 folder"
check_same CHANGELOG.md "$source/CHANGELOG.md"
check_same reference.md "$source/docs/reference.md"
for f in vbscript/receipt.vbs scripts/receipt.meridctl cpp/three_documents.cpp cpp/CMakeLists.txt; do
  check_same "examples/$f" "$source/examples/$f"
done

keys=(HKCR\\MeridDLLManager.MeridTallo_{Scontrino,Fattura,NAccr} 'HKCR\TypeLib\{B6856DAD-AF0A-41FE-8B65-44D70F38E77E}'
  'HKCR\CLSID\{2DE1E6E3-E10C-4A5C-995B-7E2F98C31AA3}')
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MeridDLLManager'
for key in "${keys[@]}"; do "$wine" reg query "$key" >/dev/null 2>&1 || fail "not registered: $key"; done
"$wine" reg query "${keys[4]}\\InprocServer32" /ve 2>/dev/null | tr -d '\r' | grep -qiF "$windir\\$kind\\MeridDLLManager.dll" ||
  fail "the class is not served by the installed $kind DLL: $("$wine" reg query "${keys[4]}\\InprocServer32" /ve 2>&1)"
"$wine" reg query "$uninstall" /v DisplayVersion 2>/dev/null | grep -q "$version" || fail "no Add/Remove Programs entry"

# A receipt through the installed DLL, its settings and its virtual printer.
mkdir -p "$tmp/sim"
MERID_SIM_DIR=$(winpath "$tmp/sim") run receipt cscript //nologo "$windir\\examples\\vbscript\\receipt.vbs" || true
grep -q "Receipt printed." "$tmp/receipt.log" || fail "receipt.vbs: $(tr -d '\r' <"$tmp/receipt.log")"
grep -q "PANE" "$tmp/sim/tape.txt" 2>/dev/null || fail "the virtual printer printed no receipt"

run uninstall "$windir\\uninstall.exe" /S || fail "the uninstaller exits with $?"
"$wineserver" -w
for key in "${keys[@]}" "$uninstall"; do
  if "$wine" reg query "$key" >/dev/null 2>&1; then fail "still registered: $key"; fi
done
if [ "$kind" = x64 ]; then
  left=$(cd "$dir" && find . -mindepth 1 | sort | xargs)
  [ "$left" = "./x86 ./x86/CeFdll.dll" ] || fail "left behind: $left"
  grep -qx "$maker" "$dir/x86/CeFdll.dll" 2>/dev/null || fail "the maker's CeFdll.dll changed"
else
  [ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . -mindepth 1 | xargs)"
fi
exit $status
