#!/usr/bin/env bash
# run_under_wine.sh <wine64> <program.exe> [ARGS]: a test program under Wine, in a prefix of its own beside
# it; its output goes to a file shown afterwards (Wine's helpers would hold CTest's pipe open).
set -euo pipefail
wine=$1 program=$2
shift 2
export WINEPREFIX=$(dirname "$program")/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i >/dev/null 2>&1 </dev/null
status=0
"$wine" "$program" "$@" >"$program.log" 2>&1 </dev/null || status=$?
cat "$program.log"
# Wine's debugger can end a crashed program with status 0: a run counts as
# passed only when GoogleTest says so and nothing failed.
grep -q '^\[  PASSED  \]' "$program.log" && ! grep -q -e '^\[  FAILED  \]' -e 'Unhandled' "$program.log" || status=1
exit $status
