#!/usr/bin/env bash
# Generates the benchmark corpora and prints, in one run, how long the
# window's code and zorvak-pak take to extract and build them, next to cp
# and tar on the same data, as ratios, with system calls per file.
# Usage: bench/run.sh MAKER [CORPUS_DIR]   (MAKER: the corpus maker script;
# CORPUS_DIR defaults to /dev/shm/zorvak-corpus, on tmpfs; OTHER_FS, a folder
# on another file system, adds the rows that extract across file systems)
set -euo pipefail
cd "$(dirname "$0")/.."
maker=${1:?usage: bench/run.sh MAKER [CORPUS_DIR]}
corpus=${2:-/dev/shm/zorvak-corpus}
scripts/deps.sh --bench
cmake --preset default >/dev/null
cmake --build --preset default --target zorvak_bench zorvak_build_bench zorvak-pak >/dev/null
exec python3 bench/bench.py --corpus "$corpus" --maker "$(realpath "$maker")" --build build/default \
  ${OTHER_FS:+--other-fs "$OTHER_FS"}
