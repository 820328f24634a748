#!/usr/bin/env bash
# Runs a GUI test program under wine64 in a prefix of its own at a given DPI (wine_prefix.sh),
# inside an X server of its own (large enough for a 150% window, 24-bit colour: the caller's may
# be 640x480 at 8 bits), and writes its screenshots to a folder. The prefix is made once per
# build tree and kept.
#   run_gui_tests.sh PROGRAM PREFIX LOGPIXELS OUTPUT [gtest arguments...]
set -euo pipefail
# Everything, the prefix's first start included, runs under one X server of our own: a prefix
# started without a display makes its first GUI process fail to create windows.
if [ -z "${QV_GUI_INNER:-}" ]; then
  export QV_GUI_INNER=1
  exec xvfb-run -a -s "-screen 0 2400x1600x24" "$0" "$@"
fi
program=$1 prefix=$2 logpixels=$3 output=$4
shift 4

. "$(dirname "$0")/wine_prefix.sh"
qv_wine_prefix "$prefix" "$logpixels"
export QV_GUI_OUTPUT=$output
mkdir -p "$output"
rc=0
timeout 900 "$wine" "$program" "$@" || rc=$?
qv_wine_end
exit "$rc"
