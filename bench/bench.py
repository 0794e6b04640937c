#!/usr/bin/env python3
"""Times extraction and building on the benchmark corpora against cp and tar.

Every figure is the median of REPEATS runs on a warm page cache, and each
ratio divides a time by the baseline's on the same data in the same run.
Other tools can stand beside ours: ZORVAK_PEER_EXTRACT and ZORVAK_PEER_BUILD
name a command each, with {pak}, {out} and {tree} filled in, for example
ZORVAK_PEER_EXTRACT='sometool x {pak} -d {out}'; ZORVAK_PEER_NAME labels it.
"""
import argparse
import os
import re
import shlex
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


def timed_call(f):
    start = time.perf_counter()
    f()
    return time.perf_counter() - start


def median_of(repeats, prepare, run):
    times = []
    for _ in range(repeats):
        state = prepare()
        times.append(run(state))
    return statistics.median(times)


def interleaved(repeats, runs):
    """Medians of several (prepare, run) pairs timed in turn, round after
    round, so that a machine that slows down for a while slows them all."""
    times = [[] for _ in runs]
    for _ in range(repeats):
        for i, (prepare, run) in enumerate(runs):
            times[i].append(run(prepare()))
    return [statistics.median(t) for t in times]


def syscalls(cmd, env=None):
    """Total system calls a command makes, children included (strace -c -f)."""
    if shutil.which("strace") is None:
        return None
    with tempfile.NamedTemporaryFile(mode="r", suffix=".strace") as log:
        subprocess.run(["strace", "-c", "-f", "-o", log.name] + cmd, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        for line in log.read().splitlines():
            m = re.match(r"^\s*100\.00\s+\S+\s+\S+\s+(\d+)", line)
            if m:
                return int(m.group(1))
    return None


def peak_kib(cmd, env=None):
    """Peak resident memory of a child, in KiB."""
    child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise subprocess.CalledProcessError(child.returncode, cmd)
    return usage.ru_maxrss


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--corpus", required=True, help="where the corpora are made")
    p.add_argument("--maker", required=True, help="the corpus maker script")
    p.add_argument("--build", required=True, help="the build directory")
    p.add_argument("--repeats", type=int, default=5)
    p.add_argument("--only", default=",".join(CORPORA))
    p.add_argument("--other-fs", help="a folder on another file system than the corpus: the "
                   "archive is read from there for the rows across file systems")
    a = p.parse_args()

    subprocess.run([sys.executable, a.maker, "--out", a.corpus,
                    "--only", a.only + ",index"], check=True, stdout=subprocess.DEVNULL)
    bench = os.path.join(a.build, "bench", "zorvak_bench")
    builder = os.path.join(a.build, "bench", "zorvak_build_bench")
    tool = os.path.join(a.build, "cli", "zorvak-pak")
    scratch = tempfile.mkdtemp(prefix="zorvak-bench-", dir=os.path.dirname(os.path.abspath(a.corpus)))
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    peer = os.environ.get("ZORVAK_PEER_NAME", "peer")
    peer_extract = os.environ.get("ZORVAK_PEER_EXTRACT")
    peer_build = os.environ.get("ZORVAK_PEER_BUILD")
    rows = []

    def row(corpus, what, seconds, base=None, base_name="", calls=None):
        rows.append((corpus, what, f"{seconds:.3f} s",
                     f"{seconds / base:.2f} x {base_name}" if base else "",
                     f"{calls:.1f}" if calls is not None else ""))

    try:
        index = os.path.join(a.corpus, "index", "index.pak")
        out = subprocess.run([bench, "open", index, "9"], check=True, capture_output=True,
                             text=True, env=env).stdout.strip()
        rows.append(("index", "open + list (window)", out, "", ""))

        for name in a.only.split(","):
            tree = os.path.join(a.corpus, name, "tree")
            pak = os.path.join(a.corpus, name, name + ".pak")
            files = sum(len(f) for _, _, f in os.walk(tree))
            tar = os.path.join(scratch, name + ".tar")
            subprocess.run(["tar", "-cf", tar, "-C", tree, "."], check=True)

            def clean_dir():
                return tempfile.mkdtemp(dir=scratch)

            def placed_pak():
                d = clean_dir()
                target = os.path.join(d, "pak0.pak")
                if os.stat(pak).st_dev == os.stat(d).st_dev:
                    os.link(pak, target)
                else:
                    shutil.copy(pak, target)
                return target

            def rm_after(f):
                def run(state):
                    try:
                        return f(state)
                    finally:
                        shutil.rmtree(state if os.path.isdir(state) else os.path.dirname(state))
                return run

            def per_file(cmd_of, prepare, run_env=None):
                state = prepare()
                try:
                    calls = syscalls(cmd_of(state), run_env)
                finally:
                    shutil.rmtree(state if os.path.isdir(state) else os.path.dirname(state))
                return None if calls is None else calls / files

            untar_cmd = lambda d: ["tar", "-xf", tar, "-C", d]
            cli_cmd = lambda d: [tool, "extract", pak, "-C", d]
            sync_cmd = lambda d: [tool, "extract", pak, "-C", d, "--sync"]
            window_cmd = lambda t: [bench, "extract", t]

            def extracted_dir():
                # Every file there already: each one is replaced, flushed first.
                d = clean_dir()
                subprocess.run(cli_cmd(d), check=True, stdout=subprocess.DEVNULL)
                return d

            cp, untar, cli, synced, again, window = interleaved(a.repeats, [
                (clean_dir, rm_after(lambda d: timed(["cp", "-r", tree + "/.", d]))),
                (clean_dir, rm_after(lambda d: timed(untar_cmd(d)))),
                (clean_dir, rm_after(lambda d: timed(cli_cmd(d)))),
                (clean_dir, rm_after(lambda d: timed(sync_cmd(d)))),
                (extracted_dir, rm_after(lambda d: timed(cli_cmd(d)))),
                (placed_pak, rm_after(lambda t: timed(window_cmd(t), env=env))),
            ])
            row(name, "extract: tar -x", untar, calls=per_file(untar_cmd, clean_dir))
            row(name, "extract: cp -r", cp, untar, "tar -x")
            row(name, "extract: zorvak-pak", cli, untar, "tar -x", per_file(cli_cmd, clean_dir))
            row(name, "extract: zorvak-pak --sync", synced, cli, "zorvak-pak")
            row(name, "extract: over its own files", again, cli, "zorvak-pak",
                per_file(cli_cmd, extracted_dir))
            row(name, "extract: window", window, cli, "zorvak-pak",
                per_file(window_cmd, placed_pak, env))

            def window_to(d):
                # Extract All To into a folder: the figure is its own clock.
                out = subprocess.run([bench, "extract-to", pak, d], check=True,
                                     capture_output=True, text=True, env=env).stdout
                return float(out.split()[-1])
            cli_to, window_all_to = interleaved(a.repeats, [
                (clean_dir, rm_after(lambda d: timed(cli_cmd(d)))),
                (clean_dir, rm_after(window_to)),
            ])
            row(name, "extract: window Extract All To", window_all_to, cli_to, "zorvak-pak")
            if peer_extract:
                peer_cmd = lambda d: shlex.split(peer_extract.format(pak=pak, out=d, tree=tree))
                other = median_of(a.repeats, clean_dir, rm_after(lambda d: timed(peer_cmd(d))))
                row(name, f"extract: {peer}", other, untar, "tar -x", per_file(peer_cmd, clean_dir))
            if a.other_fs:
                # The archive on one file system, its files made on another:
                # the kernel's copy between files is refused there.
                far = tempfile.mkdtemp(prefix="zorvak-bench-", dir=a.other_fs)
                far_pak = os.path.join(far, name + ".pak")
                shutil.copy(pak, far_pak)
                try:
                    def send_all(d):
                        # The floor: the archive's bytes moved once by sendfile.
                        with open(far_pak, "rb") as src, open(os.path.join(d, "all"), "wb") as dst:
                            left = os.fstat(src.fileno()).st_size
                            while left > 0:
                                left -= os.sendfile(dst.fileno(), src.fileno(), None, left)
                    far_cmd = lambda d: [tool, "extract", far_pak, "-C", d]
                    floor, across = interleaved(a.repeats, [
                        (clean_dir, rm_after(lambda d: timed_call(lambda: send_all(d)))),
                        (clean_dir, rm_after(lambda d: timed(far_cmd(d)))),
                    ])
                    row(name, "across file systems: sendfile of the archive", floor)
                    row(name, "across file systems: zorvak-pak extract", across, floor, "sendfile",
                        per_file(far_cmd, clean_dir))
                finally:
                    shutil.rmtree(far)
            d = clean_dir()
            rows.append((name, "extract: zorvak-pak peak memory", f"{peak_kib(cli_cmd(d)) / 1024:.1f} MiB", "", ""))
            shutil.rmtree(d)


            def window_build(_):
                # The dialog writes into the start directory itself; the
                # figure is its own clock around the build.
                before = set(os.listdir(tree))
                try:
                    out = subprocess.run([builder, tree, "1"], check=True, capture_output=True,
                                         text=True, env=env).stdout
                finally:
                    for f in set(os.listdir(tree)) - before:
                        os.remove(os.path.join(tree, f))
                return float(out.split("seconds=")[1].split()[0])

            # An edit appends a directory (and an added entry's bytes) and
            # rewrites the header; --compact rewrites the archive beside it,
            # flushed before it takes the old one's name: against a copy.
            first = subprocess.run([tool, "list", pak], check=True, capture_output=True).stdout.split(b"\n")[0]

            def copied_pak():
                d = clean_dir()
                shutil.copy(pak, os.path.join(d, "e.pak"))
                return os.path.join(d, "e.pak")

            added = os.path.join(scratch, "added.cfg")
            with open(added, "w") as f:
                f.write("bind x +attack\n" * 64)
            cpak, rm1, add1, compact = interleaved(a.repeats, [
                (copied_pak, rm_after(lambda t: timed(["cp", t, t + ".copy"]))),
                (copied_pak, rm_after(lambda t: timed([tool, "rm", t, "--", first]))),
                (copied_pak, rm_after(lambda t: timed([tool, "add", t, added]))),
                (copied_pak, rm_after(lambda t: timed([tool, "rm", t, "--compact", "--", first]))),
            ])
            row(name, "edit: cp of the archive", cpak)
            row(name, "edit: zorvak-pak rm one entry", rm1, cpak, "cp")
            row(name, "edit: zorvak-pak add one entry", add1, cpak, "cp")
            row(name, "edit: zorvak-pak rm --compact", compact, cpak, "cp")

            tarc, cbuild, wbuild = interleaved(a.repeats, [
                (clean_dir, rm_after(lambda d: timed(["tar", "-cf", os.path.join(d, "o.tar"), "-C", tree, "."]))),
                (clean_dir, rm_after(lambda d: timed([tool, "build", tree, "-o", os.path.join(d, "o.pak")]))),
                (lambda: None, window_build),
            ])
            row(name, "build: tar -c", tarc)
            row(name, "build: zorvak-pak", cbuild, tarc, "tar -c")
            row(name, "build: window", wbuild, tarc, "tar -c")
            if peer_build:
                pb = lambda d: shlex.split(peer_build.format(pak=os.path.join(d, "o.pak"), out=d, tree=tree))
                other = median_of(a.repeats, clean_dir, rm_after(lambda d: timed(pb(d))))
                row(name, f"build: {peer}", other, tarc, "tar -c")
            os.remove(tar)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    header = ("corpus", "what", "time", "ratio", "calls/file")
    widths = [max(len(h), max(len(r[i]) for r in rows)) for i, h in enumerate(header)]
    line = lambda r: "  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip()
    print(line(header))
    print(line(tuple("-" * w for w in widths)))
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main()
