#!/usr/bin/env python3
"""Times extraction and building on the benchmark corpora against cp and tar.

Every figure is the median of REPEATS runs on a warm page cache, and each
ratio divides our time by the baseline's on the same data in the same run.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

CORPORA = ("quake-like", "many-small", "big")


def timed(cmd, **kw):
    start = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, **kw)
    return time.perf_counter() - start


def median_of(repeats, prepare, run):
    times = []
    for _ in range(repeats):
        state = prepare()
        times.append(run(state))
    return statistics.median(times)


def fresh_dir(root):
    path = tempfile.mkdtemp(dir=root)
    return path


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--corpus", required=True)
    p.add_argument("--maker", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--repeats", type=int, default=3)
    p.add_argument("--only", default=",".join(CORPORA))
    a = p.parse_args()

    subprocess.run([sys.executable, a.maker, "--out", a.corpus,
                    "--only", a.only + ",index"], check=True, stdout=subprocess.DEVNULL)
    bench = os.path.join(a.build, "bench", "zorvak_bench")
    tool = os.path.join(a.build, "cli", "zorvak-pak")
    builder = os.path.join(a.build, "archive", "zorvak_build_bench")
    scratch = tempfile.mkdtemp(prefix="zorvak-bench-", dir=os.path.dirname(os.path.abspath(a.corpus)))
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    rows = []
    try:
        index = os.path.join(a.corpus, "index", "index.pak")
        out = subprocess.run([bench, "open", index, "9"], check=True, capture_output=True,
                             text=True, env=env).stdout.strip()
        rows.append(("index", "open + list (window)", out, "", ""))

        for name in a.only.split(","):
            tree = os.path.join(a.corpus, name, "tree")
            pak = os.path.join(a.corpus, name, name + ".pak")
            tar = os.path.join(scratch, name + ".tar")
            subprocess.run(["tar", "-cf", tar, "-C", tree, "."], check=True)

            def clean_dir():
                d = fresh_dir(scratch)
                return d

            def placed_pak():
                d = fresh_dir(scratch)
                target = os.path.join(d, "pak0.pak")
                os.link(pak, target) if os.stat(pak).st_dev == os.stat(d).st_dev else shutil.copy(pak, target)
                return target

            def rm_after(f):
                def run(state):
                    try:
                        return f(state)
                    finally:
                        shutil.rmtree(state if os.path.isdir(state) else os.path.dirname(state))
                return run

            cp = median_of(a.repeats, clean_dir,
                           rm_after(lambda d: timed(["cp", "-r", tree + "/.", d])))
            untar = median_of(a.repeats, clean_dir,
                              rm_after(lambda d: timed(["tar", "-xf", tar, "-C", d])))
            window = median_of(a.repeats, placed_pak,
                               rm_after(lambda t: timed([bench, "extract", t], env=env)))
            cli = median_of(a.repeats, clean_dir,
                            rm_after(lambda d: timed([tool, "extract", pak, "-C", d])))
            rows.append((name, "extract: window", f"{window:.3f} s",
                         f"{window / cp:.2f} x cp", f"{window / untar:.2f} x tar -x"))
            rows.append((name, "extract: zorvak-pak", f"{cli:.3f} s",
                         f"{cli / cp:.2f} x cp", f"{cli / untar:.2f} x tar -x"))
            rows.append((name, "extract: cp -r / tar -x", f"{cp:.3f} s / {untar:.3f} s", "", ""))

            tarc = median_of(a.repeats, clean_dir,
                             rm_after(lambda d: timed(["tar", "-cf", os.path.join(d, "o.tar"), "-C", tree, "."])))
            def window_build(_):
                # The dialog writes into the start directory itself; the
                # figure is its own clock around the build, printed per run.
                before = set(os.listdir(tree))
                try:
                    out = subprocess.run([builder, tree, "1"], check=True, capture_output=True,
                                         text=True, env=env).stdout
                finally:
                    for f in set(os.listdir(tree)) - before:
                        os.remove(os.path.join(tree, f))
                return float(out.split("seconds=")[1].split()[0])

            wbuild = median_of(a.repeats, lambda: None, window_build)
            cbuild = median_of(a.repeats, clean_dir,
                               rm_after(lambda d: timed([tool, "build", tree, "-o", os.path.join(d, "o.pak")])))
            rows.append((name, "build: window", f"{wbuild:.3f} s", f"{wbuild / tarc:.2f} x tar -c", ""))
            rows.append((name, "build: zorvak-pak", f"{cbuild:.3f} s", f"{cbuild / tarc:.2f} x tar -c", ""))
            rows.append((name, "build: tar -c", f"{tarc:.3f} s", "", ""))
            os.remove(tar)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    widths = [max(len(r[i]) for r in rows) for i in range(5)]
    header = ("corpus", "what", "time", "ratio", "ratio")
    widths = [max(w, len(h)) for w, h in zip(widths, header)]
    line = lambda r: "  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip()
    print(line(header))
    print(line(tuple("-" * w for w in widths)))
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main()
