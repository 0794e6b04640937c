#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (split between them) on its seed corpus.
# An input that crashes a target is kept under tests/fuzz/crashes/ so the
# ordinary tests replay it, and the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=()
for t in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$t" ] && targets+=("$t")
done
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets built"; exit 1; }
per=$(( seconds / ${#targets[@]} ))
[ "$per" -ge 1 ] || per=1
status=0
for t in "${targets[@]}"; do
  name=$(basename "$t")
  # fuzz_pak_index reads tests/fuzz/corpus; any other target NAME its own
  # tests/fuzz/NAME_corpus (fuzz_rtf: tests/fuzz/rtf_corpus).
  corpus=tests/fuzz/corpus
  [ -d "tests/fuzz/${name#fuzz_}_corpus" ] && corpus="tests/fuzz/${name#fuzz_}_corpus"
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/
  echo "== $name for ${per}s"
  if ! "$t" -max_total_time="$per" -rss_limit_mb=2048 -malloc_limit_mb=512 -max_len=65536 \
        -artifact_prefix=tests/fuzz/crashes/"$name"- -print_final_stats=1 "$work" 2>&1 | tail -n 12; then
    status=1
  fi
  rm -rf "$work"
done
exit $status
