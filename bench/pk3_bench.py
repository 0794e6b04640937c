#!/usr/bin/env python3
"""Times zorvak-pak on PK3 (ZIP) archives against zip and unzip on the same
data in the same run: building each corpus at level 6, extracting the PK3
that `zip -q -r -6` made, listing a 100,000-member PK3 against reading its
central directory, and the peak memory of each.

Every time is the median of interleaved rounds on a warm page cache.
Usage: bench/pk3_bench.py --corpus DIR --maker MAKE_CORPUS --build BUILD_DIR
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench import interleaved, peak_kib  # noqa: E402

CORPORA = ("quake-like", "many-small", "big")
# The corpora hold random bytes, which deflate cannot shrink; this one is
# text as maps' entities and configs are, which it can.
TEXT = "text"


def make_text_tree(root, files=240, size=96 * 1024):
    """Deterministic text files (entity lumps, configs), about 22 MiB."""
    import random
    if os.path.isdir(root):
        return
    rng = random.Random(2026)
    words = ["classname", "info_player_start", "light", "origin", "angle", "target",
             "targetname", "func_door", "trigger_multiple", "wait", "speed", "spawnflags",
             "bind", "alias", "+forward", "+attack", "impulse", "sensitivity", "volume"]
    for i in range(files):
        d = os.path.join(root, "maps" if i % 2 else "cfg", f"set{i % 12}")
        os.makedirs(d, exist_ok=True)
        lines = []
        total = 0
        while total < size:
            line = "{ " + " ".join(f'"{rng.choice(words)}" "{rng.randint(-4096, 4096)}"'
                                   for _ in range(rng.randint(1, 5))) + " }"
            lines.append(line)
            total += len(line) + 1
        with open(os.path.join(d, f"file{i:03d}.ent"), "w") as f:
            f.write("\n".join(lines))


def central_directory(path):
    """Offset and length of a ZIP's central directory (ZIP64 too)."""
    size = os.path.getsize(path)
    with open(path, "rb") as f:
        f.seek(max(0, size - 65557))
        tail = f.read()
        at = tail.rfind(b"PK\x05\x06")
        length, offset = struct.unpack("<II", tail[at + 12:at + 20])
        if offset == 0xFFFFFFFF or length == 0xFFFFFFFF:
            loc = tail.rfind(b"PK\x06\x07")
            (record,) = struct.unpack("<Q", tail[loc + 8:loc + 16])
            f.seek(record)
            rec = f.read(56)
            length, offset = struct.unpack("<QQ", rec[40:56])
    return offset, length


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--corpus", required=True)
    p.add_argument("--maker", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--repeats", type=int, default=5)
    p.add_argument("--only", default=",".join(CORPORA))
    a = p.parse_args()
    for tool in ("zip", "unzip", "dd"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is needed (Debian package {tool})")
    subprocess.run([sys.executable, a.maker, "--out", a.corpus, "--only", a.only + ",index",
                    "--index-tree"], check=True, stdout=subprocess.DEVNULL)
    tool = os.path.join(a.build, "cli", "zorvak-pak")
    scratch = tempfile.mkdtemp(prefix="zorvak-pk3-bench-",
                               dir=os.path.dirname(os.path.abspath(a.corpus)))
    rows = []

    def row(corpus, what, seconds, base, base_name, goal=""):
        rows.append((corpus, what, f"{seconds:.3f} s", f"{seconds / base:.2f} x {base_name}",
                     goal))

    def run(cmd, **kw):
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, **kw)

    def timed(cmd, cwd=None):
        import time
        start = time.perf_counter()
        run(cmd, cwd=cwd)
        return time.perf_counter() - start

    def fresh():
        return tempfile.mkdtemp(dir=scratch)

    make_text_tree(os.path.join(a.corpus, TEXT, "tree"))
    try:
        for name in a.only.split(",") + [TEXT]:
            tree = os.path.join(a.corpus, name, "tree")
            reference = os.path.join(scratch, name + ".pk3")
            if os.path.exists(reference):
                os.remove(reference)
            run(["zip", "-q", "-r", "-6", reference, "."], cwd=tree)

            def zip_build(d):
                return timed(["zip", "-q", "-r", "-6", os.path.join(d, "o.pk3"), "."], cwd=tree)

            def our_build(d):
                return timed([tool, "build", tree, "-o", os.path.join(d, "o.pk3")])

            def done(f):
                def go(d):
                    try:
                        return f(d)
                    finally:
                        shutil.rmtree(d)
                return go

            zb, ob = interleaved(a.repeats, [(fresh, done(zip_build)), (fresh, done(our_build))])
            row(name, "build: zip -q -r -6", zb, zb, "zip")
            row(name, "build: zorvak-pak", ob, zb, "zip", "<= 0.7")

            def unzip_x(d):
                return timed(["unzip", "-q", reference, "-d", d])

            def our_x(d):
                return timed([tool, "extract", reference, "-C", d])

            ux, ox = interleaved(a.repeats, [(fresh, done(unzip_x)), (fresh, done(our_x))])
            row(name, "extract: unzip -q", ux, ux, "unzip")
            row(name, "extract: zorvak-pak", ox, ux, "unzip", "<= 0.8")

            d = fresh()
            build_kib = peak_kib([tool, "build", tree, "-o", os.path.join(d, "o.pk3")])
            shutil.rmtree(d)
            d = fresh()
            extract_kib = peak_kib([tool, "extract", reference, "-C", d])
            shutil.rmtree(d)
            rows.append((name, "peak memory: build / extract",
                         f"{build_kib / 1024:.1f} / {extract_kib / 1024:.1f} MiB", "", "< 64 MiB"))

        # The 100,000-member PK3: list against reading its central directory.
        index_tree = os.path.join(a.corpus, "index", "tree")
        index_pk3 = os.path.join(scratch, "index.pk3")
        if not os.path.exists(index_pk3):
            run([tool, "build", index_tree, "-o", index_pk3, "--sorted"])
        offset, length = central_directory(index_pk3)

        def read_directory(_):
            return timed(["dd", f"if={index_pk3}", "of=/dev/null", "bs=1M", "iflag=skip_bytes,count_bytes",
                          f"skip={offset}", f"count={length}", "status=none"])

        def our_list(_):
            return timed([tool, "list", index_pk3])

        dd, ls = interleaved(a.repeats * 3, [(lambda: None, read_directory),
                                             (lambda: None, our_list)])
        row("index (100,000)", "dd of the central directory", dd, dd, "dd")
        row("index (100,000)", "list: zorvak-pak", ls, dd, "dd", "<= 5")
        list_kib = peak_kib([tool, "list", index_pk3])
        rows.append(("index (100,000)", "peak memory: list", f"{list_kib / 1024:.1f} MiB", "",
                     "< 64 MiB"))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    widths = [max(len(r[i]) for r in rows) for i in range(5)]
    for r in rows:
        print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


if __name__ == "__main__":
    main()
