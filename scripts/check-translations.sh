#!/usr/bin/env bash
# Fails when a catalogue has fallen behind the sources it translates.
#   scripts/check-translations.sh            check (scripts/test.sh runs it)
#   scripts/check-translations.sh --update   bring the catalogues up to date;
#                                            new texts then wait, unfinished,
#                                            for their translation
set -euo pipefail
cd "$(dirname "$0")/.."
update=0
[ "${1:-}" = "--update" ] && update=1
status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# ---------------------------------------------------------------------------
# The window program (zorvak): Qt Linguist catalogues translations/zorvak_*.ts.
# lupdate reads the texts marked for translation in the window's folders
# into temporary copies of the catalogues; a copy then holds every message
# still unfinished (new, or changed in the sources) and every one whose
# text has gone from the sources (vanished, obsolete). Locations are not
# kept, so moving code changes no catalogue.
lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || lupdate=$(command -v lupdate)
window_sources=(forms controls framework/ui sound app)
lupdate_into() { # catalogue language [options]
  "$lupdate" -silent -locations none -extensions cpp,h -I . -target-language "$2" "${@:3}" \
    "${window_sources[@]}" -ts "$1"
}
if [ "$update" = 1 ]; then
  for language in de fr; do
    lupdate_into "translations/zorvak_$language.ts" "$language" -no-obsolete
  done
else
  for language in de fr; do
    catalogue="translations/zorvak_$language.ts"
    if [ ! -f "$catalogue" ]; then
      echo "check-translations: $catalogue is missing"
      status=1
      continue
    fi
    cp "$catalogue" "$scratch/"
    lupdate_into "$scratch/zorvak_$language.ts" "$language"
    python3 - "$scratch/zorvak_$language.ts" "$catalogue" <<'EOF' || status=1
import sys
import xml.etree.ElementTree as ET

checked, shown = sys.argv[1], sys.argv[2]
problems = []
for context in ET.parse(checked).getroot().iter("context"):
    name = context.findtext("name")
    for message in context.iter("message"):
        source = message.findtext("source")
        translation = message.find("translation")
        kind = translation.get("type") if translation is not None else "unfinished"
        if kind in ("vanished", "obsolete"):
            problems.append(f"no longer in the sources: {name}: {source!r}")
        elif kind == "unfinished" or not "".join(translation.itertext()).strip():
            problems.append(f"not translated: {name}: {source!r}")
for p in problems:
    print(f"check-translations: {shown}: {p}")
if problems:
    print("check-translations: run scripts/check-translations.sh --update, "
          f"then translate what {shown} marks unfinished")
sys.exit(1 if problems else 0)
EOF
  done
  [ "$status" = 0 ] && echo "check-translations: the window's catalogues match its sources"
fi

exit "$status"
