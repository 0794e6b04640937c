#!/usr/bin/env bash
# Makes the Windows release: zorvak-pak.exe (statically linked, it runs
# alone) with its README in build/windows/zorvak-pak-VERSION-windows-x86_64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --windows
cmake --preset windows
cmake --build --preset windows --target zorvak-pak
version=$(sed -n 's/^project(zorvak VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=zorvak-pak-$version-windows-x86_64
stage=build/windows/$name
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage"
cp build/windows/cli/zorvak-pak.exe "$stage/"
# The README's section on the Windows tool, with Windows line ends.
sed -n '/^## zorvak-pak on Windows/,/^## /p' README.md | sed '$d' | sed 's/$/\r/' > "$stage/README.txt"
[ -s "$stage/README.txt" ] || { echo "release-windows: README.md has no Windows section"; exit 1; }
(cd build/windows && zip -q -r "$name.zip" "$name")
echo "build/windows/$name.zip"
