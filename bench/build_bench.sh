#!/bin/sh
# Builds archives from the benchmark corpora through the build dialog's code
# (offscreen) and times tar -cf on the same tree in the same run. Trees are
# copied to tmpfs so both read from and write to memory, page cache warm.
#   bench/build_bench.sh BUILD-DIR [CORPUS...]   (default: quake-like many-small big)
set -eu
build=${1:?usage: $0 BUILD-DIR [CORPUS...]}
shift
corpora=${*:-quake-like many-small big}
here=$(cd "$(dirname "$0")" && pwd)
maker=${MAKE_CORPUS:-$here/../../shared/bench/make_corpus.py}
src=${CORPUS_DIR:-/tmp/pakbench/corpus}
shm=${SHM_DIR:-/dev/shm/pakbench}
runs=${RUNS:-3}
driver=$build/archive/zorvak_build_bench
[ -x "$driver" ] || { echo "build the zorvak_build_bench target first" >&2; exit 1; }

best() { sort -n | head -1; }

for name in $corpora; do
    python3 "$maker" --out "$src" --only "$name" >/dev/null
    rm -rf "$shm/$name"
    mkdir -p "$shm/$name"
    cp -a "$src/$name/tree" "$shm/$name/tree"
    tree=$shm/$name/tree
    files=$(find "$tree" -type f | wc -l)
    bytes=$(find "$tree" -type f -printf "%s\n" | awk "{ s += \$1 } END { print s + 0 }")
    tar_times=""
    pak_times=""
    rss=0
    i=0
    while [ $i -lt "$runs" ]; do
        rm -f "$shm/$name/tree.tar"
        t0=$(date +%s.%N)
        tar -cf "$shm/$name/tree.tar" -C "$tree" .
        t1=$(date +%s.%N)
        tar_times="$tar_times $(echo "$t1 - $t0" | bc)"
        rm -f "$tree/bench.pak"
        line=$("$driver" "$tree" 1)
        pak_times="$pak_times $(echo "$line" | sed 's/.*seconds=\([0-9.]*\).*/\1/')"
        rss=$(echo "$line" | sed 's/.*maxrss_kib=\([0-9]*\).*/\1/')
        i=$((i + 1))
    done
    tar_best=$(echo $tar_times | tr ' ' '\n' | best)
    pak_best=$(echo $pak_times | tr ' ' '\n' | best)
    # The archive must hold every byte of the tree.
    pak_size=$(stat -c %s "$tree/bench.pak")
    expect=$((12 + bytes + 64 * files))
    [ "$pak_size" -eq "$expect" ] || { echo "$name: archive is $pak_size bytes, expected $expect" >&2; exit 1; }
    echo "$name: $files files, $bytes bytes; tar ${tar_best}s, build ${pak_best}s; max RSS ${rss} KiB" |
        awk -v f="$files" -v b="$bytes" -v t="$tar_best" -v p="$pak_best" \
            '{ print; printf "  MB/s tar %.0f build %.0f (x%.2f); files/s tar %.0f build %.0f (x%.2f)\n",
               b/t/1e6, b/p/1e6, t/p, f/t, f/p, t/p }'
    rm -rf "$shm/$name"
done
