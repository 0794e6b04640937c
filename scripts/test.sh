#!/usr/bin/env bash
# Builds everything and runs the tests: the ordinary build, then the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# directory fuzzer for a minute (FUZZ_SECONDS to change; 0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

cmake --workflow --preset default
if [ "${SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --workflow --preset asan
fi
seconds=${FUZZ_SECONDS:-60}
if [ "$seconds" != "0" ]; then
  cmake --workflow --preset fuzz
  scripts/fuzz.sh "$seconds"
fi
echo "All tests passed."
