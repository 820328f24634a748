# Sourced by the scripts that run Windows programs under wine64 for the tests. It sets the
# environment and prepares a prefix once per build tree, inside the X server the caller runs in:
#   - crash dialogs off (an unhandled exception would otherwise wait for ever),
#   - no window-manager decoration needed (Managed=N: closing a window costs milliseconds),
#   - "Segoe UI" mapped to Tahoma, which is copied into the prefix's fonts, and "Microsoft YaHei"
#     to Noto Sans CJK SC,
#   - LogPixels set before any process starts, so every DPI query answers it.
# HOME is a folder beside the prefix so wine writes nothing into the user's home.
#   qv_wine_prefix PREFIX LOGPIXELS     sets WINEPREFIX, HOME, WINEDEBUG, WINEDLLOVERRIDES,
#                                       $wine (the wine64 loader) and $wineserver, and prepares
#                                       the prefix
#   qv_wine_end                         ends every process still running in the prefix: a
#                                       helper of wine's that outlived the test would otherwise
#                                       keep CTest's output pipe open

qv_wine_prefix() {
  local prefix logpixels=$2
  prefix=$(realpath -m "$1")  # wine takes only an absolute prefix
  export WINEPREFIX=$prefix
  export HOME=$prefix-home
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  mkdir -p "$HOME"
  wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
  [ -x "$wine" ] || wine=$(command -v wine64)
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver)

  local stamp=$prefix/.qv-gui-$logpixels
  [ -f "$stamp" ] && return 0
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || true
  reg() { timeout 60 "$wine" reg add "$@" /f >/dev/null 2>&1; }
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels"
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'Segoe UI' /t REG_SZ /d Tahoma
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /t REG_SZ /d 'Noto Sans CJK SC'
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei UI' /t REG_SZ /d 'Noto Sans CJK SC'
  local fonts=$prefix/drive_c/windows/Fonts f
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
    [ -f "$f" ] && cp "$f" "$fonts/"
  done
  # One throw-away start that brings the prefix's desktop up under this display.
  timeout 120 "$wine" cmd /c exit >/dev/null 2>&1 || true
  timeout 60 "$wineserver" -w 2>/dev/null || true
  touch "$stamp"
}

qv_wine_end() {
  timeout 30 "$wineserver" -k >/dev/null 2>&1 || true
}
