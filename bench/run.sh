#!/usr/bin/env bash
# Generates the benchmark corpora and prints, in one run, how long the
# window's code and zorvak-pak take to extract and build them, next to cp
# and tar on the same data, as ratios. Usage: bench/run.sh [CORPUS_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --bench
cmake --preset default >/dev/null
cmake --build --preset default --target zorvak_bench zorvak_build_bench zorvak-pak >/dev/null
exec python3 bench/bench.py --corpus "${1:-/tmp/pakbench/corpus}" \
  --maker "$(pwd)/../shared/bench/make_corpus.py" --build build/default
