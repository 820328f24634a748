#!/usr/bin/env bash
# The amd64 packages of the win64 build, made as scripts/package makes them, tried under wine64:
# the zip holds the program folder; the installer installs silently (/S) for the current user,
# with its Start menu entry; the installed program starts, registers its picture component,
# brings itself back for a second copy and ends (the GUI tests' process cases, run against the
# installed copy, with screenshots); the uninstaller removes every installed file again.
#   test_installer.sh PROGRAM_DIR GUI_TESTS PREFIX OUTPUT VERSION
set -euo pipefail
if [ -z "${QV_GUI_INNER:-}" ]; then
  export QV_GUI_INNER=1
  exec xvfb-run -a -s "-screen 0 2400x1600x24" "$0" "$@"
fi
program=$1 gui_tests=$2 prefix=$3 output=$4 version=$5
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tests/gui/wine_prefix.sh"
qv_wine_prefix "$prefix" 96
trap qv_wine_end EXIT
fail() { echo "test_installer: $*" >&2; exit 1; }

rm -rf "$output" && mkdir -p "$output"
"$here/installer/make_packages.sh" "$program" amd64 "$version" "$output" >/dev/null
name=QuenvaleTarnwick-$version-amd64
zip=$output/$name.zip setup=$output/$name-setup.exe
[ -f "$zip" ] && [ -f "$setup" ] || fail "the packages were not written"
listing=$(cmake -E tar tf "$zip")
for f in QuenvaleTarnwick.exe ImageOleCtrl.dll tool config.ini Languages/English.ini \
         Languages/SimplifiedChinese.ini template/Sms.html template/Print.html docs/tutorial.md; do
  grep -qx "$name/$f" <<<"$listing" || fail "the zip lacks $f"
done

winpath() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_app=$(timeout 60 "$wine" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
programs=$(timeout 60 "$wine" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
installed_win="$local_app\\Programs\\Quenvale Tarnwick"
installed=$(winpath "$installed_win")
menu=$(winpath "$programs\\Microsoft\\Windows\\Start Menu\\Programs\\Quenvale Tarnwick")
[ -n "$installed" ] || fail "no local application-data folder in the prefix"

# Install: the installer's exit code says nothing under wine; the files do.
timeout 120 "$wine" "$setup" /S >/dev/null 2>&1 || true
for f in QuenvaleTarnwick.exe ImageOleCtrl.dll tool config.ini Uninstall.exe \
         Languages/English.ini template/Sms.html docs/tutorial.md; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
[ -f "$menu/Quenvale Tarnwick.lnk" ] || fail "no Start menu entry in $menu"
cmp -s "$program/config.ini" "$installed/config.ini" || fail "config.ini differs"

# The installed program, started as a user starts it.
QV_PROGRAM_UNDER_TEST="$installed_win\\QuenvaleTarnwick.exe" QV_GUI_OUTPUT="$output/shots" \
  timeout 300 "$wine" "$gui_tests" \
  --gtest_filter='ProgramProcess.StartsOnce*:ProgramProcess.AnotherCopy*:PictureComponent.*' \
  || fail "the installed program failed its start-up cases"

# Uninstall: the uninstaller runs a copy of itself and returns at once; wait for the folder
# and the Start menu entry to go (the program goes first, the folder and Uninstall.exe last).
timeout 120 "$wine" "$installed_win\\Uninstall.exe" /S >/dev/null 2>&1 || true
for _ in $(seq 1 120); do
  [ -e "$installed" ] || [ -e "$menu" ] || break
  sleep 0.5
done
[ ! -e "$installed" ] || fail "left behind: $(find "$installed" | head -n 5 | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start menu folder was left behind"
echo "test_installer: $name installed, started and uninstalled"
