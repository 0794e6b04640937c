#!/usr/bin/env bash
# The Windows build, checked under Wine: builds the windows preset (the core,
# zorvak-pak.exe and the core tests, cross-compiled with MinGW-w64), runs the
# core tests, then a round trip of zorvak-pak.exe against the Linux build of
# zorvak-pak (LINUX_TOOL, default build/default/cli/zorvak-pak): the same
# tree built by both must give the same bytes, and what each extracts must be
# the tree again. Headless: no display is used.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --windows

linux_tool=$(realpath "${LINUX_TOOL:-build/default/cli/zorvak-pak}")
[ -x "$linux_tool" ] || { echo "windows-check: build the Linux zorvak-pak first ($linux_tool)"; exit 1; }

cmake --preset windows
cmake --build --preset windows

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
cleanup() {
  WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The first start makes the prefix; its messages are no test output.
"$wine" cmd /c exit >/dev/null 2>&1 || true

echo "== core tests under Wine"
"$wine" build/windows/tests/zorvak_core_tests.exe --gtest_brief=1

echo "== zorvak-pak.exe round trip"
exe=$(realpath build/windows/cli/zorvak-pak.exe)
win() { "$wine" "$exe" "$@"; }
cd "$work"
mkdir -p tree/maps tree/sound/misc tree/gfx/deep/er tree/empty
head -c 300000 /dev/urandom > tree/maps/e1m1.bsp        # past the read-ahead window
head -c 70000 /dev/urandom > tree/gfx/deep/er/big.lmp
printf 'RIFF' > tree/sound/misc/a.wav
: > tree/zero.dat
printf 'caf\xc3\xa9' > "tree/caf$(printf '\xc3\xa9').txt"
printf 'progs' > tree/Progs.DAT

"$linux_tool" build tree -o lin.pak --sorted
win build tree -o win.pak --sorted
cmp lin.pak win.pak
echo "built: the same $(stat -c %s lin.pak) bytes"

"$linux_tool" list -l lin.pak > list-linux.txt
win list -l lin.pak > list-windows.txt
cmp list-linux.txt list-windows.txt
win verify win.pak
"$linux_tool" verify win.pak

win extract lin.pak -C out-windows
"$linux_tool" extract win.pak -C out-linux
# Names are stored lower-cased; the tree is compared as stored.
mkdir -p expected && (cd tree && find . -type f | while read -r f; do
  lower=$(printf '%s' "$f" | tr 'A-Z' 'a-z'); mkdir -p "../expected/$(dirname "$lower")"; cp "$f" "../expected/$lower"; done)
diff -r expected out-windows
diff -r expected out-linux
win cat lin.pak maps/e1m1.bsp | cmp - tree/maps/e1m1.bsp
echo "extracted: the same files, byte for byte"

# The same tree as a PK3: the same bytes from both, each read by the other.
"$linux_tool" build tree -o lin.pk3 --sorted
win build tree -o win.pk3 --sorted
cmp lin.pk3 win.pk3
win verify lin.pk3
win extract lin.pk3 -C pk3-windows
diff -r expected pk3-windows
echo "PK3: the same $(stat -c %s lin.pk3) bytes, extracted byte for byte"

# Names Windows cannot make are refused with their reason, the rest written.
printf 'x' > tree/aux.wav
"$linux_tool" build tree -o odd.pak --sorted
if win extract odd.pak -C out-odd 2> odd.err; then
  echo "windows-check: aux.wav was extracted"; exit 1
fi
grep -q 'aux.wav: Entry name "aux.wav" cannot be a file name on this system' odd.err
[ -f out-odd/maps/e1m1.bsp ]
echo "Windows checks passed."
