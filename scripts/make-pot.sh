#!/usr/bin/env bash
# Writes the template of zorvak-pak's and the core's texts (the catalogue
# po/de.po and po/fr.po translate) to $1: every text the sources of the
# Qt-free folders mark with Tr, TrPlural or TrMark (framework/Translate.h).
# The build makes it (po/CMakeLists.txt), scripts/check-po.sh compares the
# translations with it.
set -euo pipefail
out=${1:?usage: make-pot.sh OUTPUT.pot}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The window's own texts are Qt's (framework/ui, forms, ...): not here.
mapfile -t files < <(find framework archive formats render cli -path framework/ui -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort)
# No line numbers: a moved line changes nothing in the catalogues.
xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=TrPlural:1,2 \
  --keyword=TrMark --add-comments=TRANSLATORS: \
  --add-location=file --package-name=zorvak --msgid-bugs-address=zorvak@users.noreply.invalid --foreign-user \
  --output="$out" "${files[@]}"
