#!/usr/bin/env bash
# Builds the release packages into dist/ (git ignores it):
#   Kestrine-VERSION-win32.zip         the portable program: kestrine.exe, kst.exe, README.txt
#   Kestrine-VERSION-setup.exe         the per-user installer (NSIS), with its uninstaller
#   kst-VERSION-linux-ARCH.tar.gz      kst and its manual page, as `cmake --install` lays them out
# VERSION is the one `kst --version` prints (its first word that starts with a digit). Installs what it needs (scripts/setup-machine.sh)
# and builds only the programs it packs, in the usual build trees.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup-machine.sh >/dev/null

[ -f build/native/CMakeCache.txt ] || cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native --target kst
[ -f build/win32/CMakeCache.txt ] ||
  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release --toolchain cmake/mingw-i686.cmake >/dev/null
cmake --build build/win32 --target kestrine kst kst_art

version=$(build/native/cli/kst --version | awk 'NR == 1 { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]/) { print $i; exit } }')
if ! [[ $version =~ ^[0-9][0-9A-Za-z.+-]*$ ]]; then
  echo "package: cannot read the version from 'kst --version' (got '$version')" >&2
  exit 1
fi
# A Windows file version has four numbers; a version that is not only numbers goes without.
quad=()
if [[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]]; then
  parts=${version//[^.]/}
  padded=$version
  for _ in $(seq $((3 - ${#parts}))); do padded+=.0; done
  quad=(-DVERSION_QUAD="$padded")
fi

# Files carry the time of the last commit, so the same source packs the same bytes.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
stage=build/package
dist=$root/dist
rm -rf "$stage"
mkdir -p "$stage" "$dist"
rm -f "$dist"/Kestrine-*-win32.zip "$dist"/Kestrine-*-setup.exe "$dist"/kst-*-linux-*.tar.gz

echo "== Windows packages of Kestrine $version"
win=$stage/Kestrine-$version
mkdir "$win"
cp build/win32/kestrine.exe build/win32/cli/kst.exe "$win/"
# Notepad before Windows 10 shows a text file only with CRLF line ends.
sed 's/\r*$/\r/' README.md > "$win/README.txt"
touch -d "@$epoch" "$win" "$win"/*
zip_file=$dist/Kestrine-$version-win32.zip
(cd "$stage" && zip -q -X -r "$zip_file" "Kestrine-$version")
echo "dist/${zip_file##*/}"

setup_file=$dist/Kestrine-$version-setup.exe
makensis -V2 -DVERSION="$version" "${quad[@]}" -DSTAGE="$root/$win" \
  -DICON="$root/build/win32/res/art/kestrine.ico" -DOUTFILE="$setup_file" packaging/kestrine.nsi
echo "dist/${setup_file##*/}"

echo "== Linux package of kst $version"
tree=kst-$version
cmake --install build/native --prefix "$root/$stage/$tree" --strip >/dev/null
tar_file=$dist/kst-$version-linux-$(uname -m).tar.gz
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" -C "$stage" -cf - "$tree" |
  gzip -9n > "$tar_file"
echo "dist/${tar_file##*/}"
