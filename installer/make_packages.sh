#!/usr/bin/env bash
# Writes the two packages of a built program folder (build/<preset>/program):
#   OUT/QuenvaleTarnwick-VERSION-ARCH.zip        the program folder, to unpack and run anywhere
#   OUT/QuenvaleTarnwick-VERSION-ARCH-setup.exe  the per-user installer (QuenvaleTarnwick.nsi)
# The program and its library are stripped of debugging symbols in the staged copy.
#   make_packages.sh PROGRAM_DIR ARCH(x86|amd64) VERSION OUT
set -euo pipefail
program=$(cd "$1" && pwd) arch=$2 version=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
case "$arch" in
  x86) target=x86-unicode strip=i686-w64-mingw32-strip ;;
  amd64) target=amd64-unicode strip=x86_64-w64-mingw32-strip ;;
  *) echo "make_packages.sh: ARCH is x86 or amd64" >&2; exit 2 ;;
esac
for f in QuenvaleTarnwick.exe ImageOleCtrl.dll tool config.ini Languages template docs; do
  [ -e "$program/$f" ] || { echo "make_packages.sh: $program/$f is missing" >&2; exit 1; }
done

name=QuenvaleTarnwick-$version-$arch
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$out/$name.stage
rm -rf "$work" && mkdir -p "$work/$name"
cp -R "$program/." "$work/$name/"
for bin in "$work/$name"/*.exe "$work/$name"/*.dll; do
  "$strip" --strip-debug "$bin"
done

# The zip: one top folder named after the package.
rm -f "$out/$name.zip"
(cd "$work" && cmake -E tar cf "$out/$name.zip" --format=zip -- "$name")

# The installer's file lines: every staged file, folders first, and the same in reverse for the
# uninstaller (files, then the folders deepest first, each removed only when empty).
files=$work/files.nsh
{
  echo '!macro InstallFiles'
  (cd "$work/$name" && find . -type d | LC_ALL=C sort) | while read -r d; do
    rel=${d#./}; rel=${rel#.}
    echo "  SetOutPath \"\$INSTDIR${rel:+\\${rel//\//\\}}\""
    (cd "$work/$name/$d" && find . -maxdepth 1 -type f | LC_ALL=C sort) | while read -r f; do
      echo "  File \"$work/$name/${rel:+$rel/}${f#./}\""
    done
  done
  echo '  SetOutPath "$INSTDIR"'
  echo '!macroend'
  echo '!macro UninstallFiles'
  (cd "$work/$name" && find . -type f | LC_ALL=C sort) | while read -r f; do
    rel=${f#./}
    echo "  Delete \"\$INSTDIR\\${rel//\//\\}\""
  done
  (cd "$work/$name" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while read -r d; do
    rel=${d#./}
    echo "  RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done
  echo '!macroend'
} > "$files"

makensis -V2 -DSTAGE="$work/$name" -DFILES="$files" -DOUTFILE="$out/$name-setup.exe" \
  -DVERSION="$version" -DTARGET="$target" "$here/QuenvaleTarnwick.nsi"
rm -rf "$work"
echo "$out/$name.zip"
echo "$out/$name-setup.exe"
