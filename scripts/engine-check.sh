#!/usr/bin/env bash
# A PK3 that zorvak-pak builds loads in a Quake engine that reads PK3 files
# (DarkPlaces' dedicated server, from Debian): the engine runs the quake.rc
# it stores (a member too small to deflate) and reads a deflated config to
# its last line. TOOL names the zorvak-pak to check.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(realpath "${TOOL:-build/default/cli/zorvak-pak}")
engine=/usr/games/darkplaces-server
[ -x "$engine" ] || { echo "engine-check: $engine is missing (scripts/deps.sh installs it)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/zorvak" "$work/game/id1"
printf 'exec zorvak/deep.cfg\nquit\n' > "$work/src/quake.rc"
{
  echo "// set by zorvak-pak's engine check; long enough to be deflated"
  for i in $(seq 1 400); do echo "set zorvak_var$i $i"; done
  echo 'echo ZORVAK_PK3_READ $zorvak_var400'
} > "$work/src/zorvak/deep.cfg"
"$tool" build "$work/src" -o "$work/game/id1/zorvak.pk3" --sorted
said=$(timeout 60 "$engine" -basedir "$work/game" -nohome 2>&1 || true)
if ! grep -q "ZORVAK_PK3_READ 400" <<<"$said"; then
  printf '%s\n' "$said"
  echo "engine-check: the engine did not read the PK3 zorvak-pak built"
  exit 1
fi
echo "engine-check: DarkPlaces loaded the PK3 zorvak-pak built and read its deflated member"
