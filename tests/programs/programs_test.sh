#!/usr/bin/env bash
# programs_test.sh static OBJDUMP VERSION EXE...: each program imports system DLLs only (the C++
# runtime and winpthreads are linked in) and carries a version resource naming VERSION.
# programs_test.sh WHAT BIN SIM SOURCE VERSION: meridctl.exe or meridd.exe under wine64 (or MERID_WINE
# and WINESERVER) on the virtual printer SIM/CeFdll.dll, driven from the Linux side. WHAT:
#   meridctl  --version; examples/scripts/receipt.meridctl reaches the printer's journal;
#   meridd    --version; a receipt posted with curl ends done, in the journal once; Ctrl+C stops it;
#   printers  the service starts and answers GET /printers (the 32-bit Wine, slow under qemu).
set -euo pipefail
if [ "$1" = static ]; then
  objdump=$2 version=$3 status=0
  shift 3
  for exe in "$@"; do
    imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr A-Z a-z | sort | xargs)
    others=$(printf '%s\n' $imports | grep -vxE '(kernel32|msvcrt|advapi32|user32|ws2_32).dll' | xargs) || true
    [ -z "$others" ] || { echo "FAIL $(basename "$exe") imports $others"; status=1; }
    strings -el "$exe" | grep -A1 -x FileVersion | tail -n 1 | grep -qx "$version" ||
      { echo "FAIL no FileVersion $version in $(basename "$exe")"; status=1; }
  done
  exit $status
fi
what=$1 bin=$2 sim=$3 source=$4 version=$5
work=$(dirname "$bin")/programs-$what
wine=${MERID_WINE:-$(command -v /usr/lib/wine/wine64 wine64 | head -n 1)}
export WINEPREFIX=${WINEPREFIX:-$(dirname "$bin")/programs-wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0
fail() { echo "FAIL $*"; status=1; }
winpath() { echo "Z:${1//\//\\}"; }
# JSON from the test's own text only: no value needs escaping.
field() { sed -n -E "s/.*\"$1\": *\"?([^\",}]*)\"?.*/\1/p" <<<"$2" | head -n 1; }

rm -rf "$work" && mkdir -p "$work/printer" "$work/home"
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i >/dev/null 2>&1 </dev/null
name=$([ "$what" = meridctl ] && echo meridctl || echo meridd) && exe=$bin/$name.exe

# Wine's helpers outlive the program and would hold CTest's pipe open: every program writes to a file.
shown=$("$wine" "$exe" --version 2>&1 </dev/null | tr -d '\r') || fail "--version failed: $shown"
[ "$shown" = "$name $version" ] || fail "$name --version says '$shown', the project $version"

if [ "$what" = meridctl ]; then
  "$wine" "$exe" --printer "$(winpath "$sim/CeFdll.dll")" --sim-dir "$(winpath "$work/printer")" \
    --home "$(winpath "$work/home")" --auto-ok --strict run "$(winpath "$source/examples/scripts/receipt.meridctl")" \
    >"$work/out.txt" 2>&1 </dev/null || fail "meridctl.exe run ended with $?: $(cat "$work/out.txt")"
  grep -q "MELE" "$work/printer/journal.txt" 2>/dev/null || fail "the receipt is not in the journal"
  exit $status
fi

# The service on port 0, the virtual printer named by its Windows path.
cat >"$work/meridd.json" <<JSON
{
  "listen": {"address": "127.0.0.1", "port": 0},
  "database": "$(winpath "$work/tasks.sqlite" | sed 's/\\/\\\\/g')",
  "printers": [{"id": "cassa1", "port": 1,
    "library": "$(winpath "$sim/CeFdll.dll" | sed 's/\\/\\\\/g')",
    "home": "$(winpath "$work/home" | sed 's/\\/\\\\/g')",
    "simulatorFolder": "$(winpath "$work/printer" | sed 's/\\/\\\\/g')"}]
}
JSON
"$wine" "$exe" --config "$(winpath "$work/meridd.json")" >"$work/out.txt" 2>&1 </dev/null &
service=$!
trap 'kill -KILL "$service" 2>/dev/null || true' EXIT
url=''
for _ in $(seq 1 600); do  # up to a minute: a first start under qemu is slow
  url=$(sed -n -E 's#^meridd: listening on (http://127\.0\.0\.1:[0-9]+)/.*#\1#p' "$work/out.txt" | head -n 1)
  [ -n "$url" ] && break
  kill -0 "$service" 2>/dev/null || break
  sleep 0.1
done
[ -n "$url" ] || { fail "meridd.exe did not start: $(cat "$work/out.txt")"; exit 1; }

printers=$(curl -sS --max-time 30 "$url/printers") || fail "GET /printers"
[ "$(field id "$printers")" = cassa1 ] || fail "GET /printers answered: $printers"

if [ "$what" = meridd ]; then
  item="WINE$RANDOM$RANDOM"
  body="{\"taskId\": \"$item\", \"items\": [{\"description\": \"$item\", \"unitPrice\": 1.5, \"vat\": \"22\"}],
    \"payments\": [{\"type\": 1, \"amount\": 1.5, \"description\": \"Contanti\"}]}"
  code=$(curl -sS --max-time 30 -o "$work/post.json" -w '%{http_code}' -H 'Content-Type: application/json' \
    --data "$body" "$url/printers/cassa1/receipt") || fail "POST receipt"
  [ "$code" = 202 ] || fail "POST receipt answered $code: $(cat "$work/post.json")"
  task=$(curl -sS --max-time 60 "$url/tasks/$item?wait=50") || fail "GET /tasks/$item"
  [ "$(field state "$task")" = done ] || fail "the task is not done: $task"
  found=$(grep -c "$item" "$work/printer/journal.txt" 2>/dev/null || true)
  [ "$found" = 1 ] || fail "the receipt is in the journal ${found:-0} times, not once"
fi

kill -INT "$service" 2>/dev/null || true
for _ in $(seq 1 300); do kill -0 "$service" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$service" 2>/dev/null; then
  fail "meridd.exe did not stop on Ctrl+C"
else
  wait "$service" || fail "meridd.exe ended with $? after Ctrl+C: $(cat "$work/out.txt")"
fi
exit $status
