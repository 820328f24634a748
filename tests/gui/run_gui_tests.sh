#!/usr/bin/env bash
# Runs a GUI test program under wine64 in a prefix of its own at a given DPI, inside an X server
# of its own (large enough for a 150% window, 24-bit colour: the caller's may be 640x480 at 8
# bits), and writes its screenshots to a folder. The prefix is made once per build tree and kept:
#   - crash dialogs off (an unhandled exception would otherwise wait for ever),
#   - no window-manager decoration needed (Managed=N: closing a window costs milliseconds),
#   - "Segoe UI" mapped to Tahoma, which is copied into the prefix's fonts, and "Microsoft YaHei"
#     to Noto Sans CJK SC,
#   - LogPixels set before any process starts, so every DPI query answers it.
# HOME is a folder in the build tree so wine writes nothing into the user's home.
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

export WINEPREFIX=$prefix
export HOME=$prefix-home
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export QV_GUI_OUTPUT=$output
mkdir -p "$HOME" "$output"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)

stamp=$prefix/.qv-gui-$logpixels
if [ ! -f "$stamp" ]; then
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || true
  reg() { timeout 60 "$wine" reg add "$@" /f >/dev/null 2>&1; }
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels"
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'Segoe UI' /t REG_SZ /d Tahoma
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /t REG_SZ /d 'Noto Sans CJK SC'
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei UI' /t REG_SZ /d 'Noto Sans CJK SC'
  fonts=$prefix/drive_c/windows/Fonts
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
    [ -f "$f" ] && cp "$f" "$fonts/"
  done
  # One throw-away start that brings the prefix's desktop up under this display.
  timeout 120 "$wine" cmd /c exit >/dev/null 2>&1 || true
  timeout 60 "$wine"server -w 2>/dev/null || true
  touch "$stamp"
fi

exec timeout 900 "$wine" "$program" "$@"
