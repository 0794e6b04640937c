#!/usr/bin/env bash
# Fails when a catalogue of zorvak-pak's and the core's texts (po/*.po) is
# behind the sources: a text without its translation, a fuzzy one, or one
# the sources no longer have; or when a translation is not what msgfmt takes,
# or does not name the same places ({1}, {2}, ...) as its English text, which
# would drop or invent a value in a message.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scripts/make-pot.sh "$work/zorvak.pot"

failed=0
for po in po/*.po; do
  language=$(basename "$po" .po)
  msgfmt --check --output-file=/dev/null "$po"
  msgmerge --quiet --output-file="$work/$language.po" "$po" "$work/zorvak.pot"
  for kind in untranslated only-fuzzy only-obsolete; do
    # A header alone (msgid "") is no message.
    found=$(msgattrib --"$kind" --no-wrap "$work/$language.po" |
      grep -E '^(#~ )?msgid ' | grep -vc '^msgid ""$' || true)
    if [ "$found" != "0" ]; then
      echo "check-po: $po: $found ${kind#only-} message(s):"
      msgattrib --"$kind" --no-wrap "$work/$language.po" | grep -E '^(#~ )?msgid ' |
        grep -v '^msgid ""$' | sed 's/^/  /'
      failed=1
    fi
  done
  python3 - "$work/$language.po" "$po" <<'EOF' || failed=1
import re
import sys

merged, shown = sys.argv[1], sys.argv[2]
text = open(merged, encoding="utf-8").read()
bad = 0
for block in text.split("\n\n"):
    fields, key = {}, None
    for line in block.split("\n"):
        m = re.match(r'(msgid|msgid_plural|msgstr(?:\[\d\])?) "(.*)"$', line)
        if m:
            key = m.group(1)
            fields[key] = m.group(2)
        elif line.startswith('"') and key:
            fields[key] += line[1:-1]
    if not fields.get("msgid"):
        continue
    places = lambda s: sorted(set(re.findall(r"\{[1-9]\}", s)))
    want = places(fields["msgid"] + fields.get("msgid_plural", ""))
    for k, v in fields.items():
        if k.startswith("msgstr") and v and places(v) != want:
            print(f"check-po: {shown}: {k} of \"{fields['msgid'][:60]}\" names "
                  f"{' '.join(places(v)) or 'no place'}, not {' '.join(want)}")
            bad = 1
sys.exit(bad)
EOF
done
if [ "$failed" != "0" ]; then
  echo "check-po: bring po/*.po up to date (msgmerge po/LANG.po against scripts/make-pot.sh's template)"
  exit 1
fi
echo "check-po: $(ls po/*.po | wc -l) catalogues complete and up to date"
