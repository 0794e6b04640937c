#!/usr/bin/env bash
# Builds everything and runs the tests: the habits first (formatting, the
# pictures up to date, the catalogues translating every text), the ordinary
# build with warnings as errors, a PK3 it builds loaded by a Quake engine
# (scripts/engine-check.sh), then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build with its tests under Wine (WINDOWS=0 skips it), then the
# fuzzers for a minute (FUZZ_SECONDS to change; 0 skips them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
python3 resources/make_pictures.py --check
python3 scripts/check-architecture.py
scripts/check-translations.sh
scripts/check-po.sh

cmake --workflow --preset ci
scripts/engine-check.sh
if [ "${WINDOWS:-1}" != "0" ]; then
  scripts/windows-check.sh
fi
if [ "${SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --workflow --preset asan
fi
seconds=${FUZZ_SECONDS:-60}
if [ "$seconds" != "0" ]; then
  cmake --workflow --preset fuzz
  scripts/fuzz.sh "$seconds"
fi
echo "All tests passed."
