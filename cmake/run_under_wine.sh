#!/usr/bin/env bash
# Runs a Windows test program under wine64 for CTest, with its output and its errors in files
# that are printed when it ends. Wine's helper processes (a console host, the desktop, services)
# that a test's program or its children start keep the output and error streams they were born
# with; had those been CTest's pipes, a helper that outlives the test would keep them open and
# CTest would wait on the test until its timeout. The program is ended a little before CTest's
# timeout, so a test that hangs still shows what it printed.
#   run_under_wine.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
seconds=${QV_WINE_TEST_SECONDS:-580}
out=$(mktemp "${TMPDIR:-/tmp}/qv-wine-out.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/qv-wine-err.XXXXXX")
timeout -k 10 "$seconds" "$wine" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
[ "$rc" -ne 124 ] || echo "run_under_wine.sh: $1 was ended after $seconds s" >&2
exit "$rc"
