#!/usr/bin/env python3
"""Checks that two builds behave byte for byte alike on the benchmark corpora.

For each corpus it runs both builds' zorvak-pak (list, list -l, verify, info,
extract, extract --no-clobber over a partial tree, build, build --sorted,
rm, add, mv and their dry runs) and the window's own code (Extract All beside
the archive through zorvak_bench, Build PAK through zorvak_build_bench), and
compares standard output, standard error, the exit status and every file
made. Usage:

  bench/same_outputs.py --before DIR --after DIR --corpus CORPUS_DIR [--only a,b]
                        [--scratch DIR]

DIR holds zorvak-pak, zorvak_bench and zorvak_build_bench (a build tree's
cli/ and bench/ binaries copied together, or a build tree itself). Exits 1
and names each difference when the two differ.
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile


def binary(root, name):
    for sub in ("", "cli", "bench"):
        path = os.path.join(root, sub, name)
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    sys.exit(f"same_outputs: no {name} in {root}")


def file_digest(path):
    """A file's digest, read in pieces: the big corpus's archive is 1.6 GB."""
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for piece in iter(lambda: f.read(1 << 20), b""):
            h.update(piece)
    return h.hexdigest()


def tree_digest(root, remove=True):
    """Every file below root by relative path, with its bytes' digest; the
    tree is removed afterwards, so scratch space holds one output at a time."""
    files = {}
    for d, _, names in os.walk(root):
        for n in names:
            p = os.path.join(d, n)
            files[os.path.relpath(p, root)] = file_digest(p)
    if remove:
        shutil.rmtree(root, ignore_errors=True)
    return files


def run(cmd, cwd, env):
    r = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True)
    # Paths of the scratch folder differ between the two runs.
    clean = lambda b: b.replace(cwd.encode(), b"<dir>")
    return r.returncode, clean(r.stdout), clean(r.stderr)


def scenario(tools, pak, tree, work, env):
    """What one build does, as (label, result) pairs."""
    tool, window, builder = tools
    names = subprocess.run([tool, "list", pak], capture_output=True).stdout.split(b"\n")
    some = [n for n in names if n][:3]
    out = []

    def fresh(name):
        d = os.path.join(work, name)
        os.makedirs(d)
        return d

    def archive_copy(name):
        d = fresh(name)
        shutil.copy(pak, os.path.join(d, "a.pak"))
        return d, os.path.join(d, "a.pak")

    for args in (["list"], ["list", "-l"], ["verify"]):
        out.append((" ".join(args), run([tool, args[0], pak] + args[1:], work, env)))
    out.append(("info", run([tool, "info", pak] + some, work, env)))

    d = fresh("x")
    out.append(("extract", run([tool, "extract", pak, "-C", d], work, env)))
    out.append(("extract: files", tree_digest(d)))
    d = fresh("nc")
    subprocess.run([tool, "extract", pak, "-C", d, "-i", "*.wav"], capture_output=True)
    out.append(("extract --no-clobber", run([tool, "extract", pak, "-C", d, "--no-clobber", "-i", "*.*"], work, env)))
    out.append(("extract --no-clobber: files", tree_digest(d)))
    out.append(("extract -i none", run([tool, "extract", pak, "-C", fresh("none"), "-i", "no/such*"], work, env)))

    for sorted_ in (False, True):
        target = os.path.join(work, f"built{int(sorted_)}.pak")
        out.append((f"build sorted={sorted_}", run([tool, "build", tree, "-o", target] + (["--sorted"] if sorted_ else []), work, env)))
        # Unsorted builds follow the disk's order, which both runs share.
        out.append((f"build sorted={sorted_}: archive", file_digest(target)))
        os.remove(target)

    extra = os.path.join(work, "extra.txt")
    with open(extra, "wb") as f:
        f.write(b"added\n")
    edits = [["rm", "--", some[0]], ["add", extra, "--prefix", "new/"], ["mv", "--", some[-1], b"renamed/" + some[-1]]]
    for edit in edits:
        for dry in (True, False):
            d, copy = archive_copy("e%d" % len(out))
            cmd = [tool, edit[0], copy] + edit[1:] + (["--dry-run"] if dry else [])
            label = f"{edit[0]} dry={dry}"
            out.append((label, run(cmd, d, env)))
            out.append((label + ": archive", file_digest(copy)))
            shutil.rmtree(d, ignore_errors=True)

    d, copy = archive_copy("w")
    status, stdout, _ = run([window, "extract", copy], d, env)
    out.append(("window Extract All", (status, b"")))
    os.remove(copy)
    out.append(("window Extract All: files", tree_digest(d)))

    before = set(os.listdir(tree))
    try:
        status, _, err = run([builder, tree, "1"], work, env)
        made = sorted(set(os.listdir(tree)) - before)
        digests = {m: file_digest(os.path.join(tree, m)) for m in made}
        out.append(("window Build PAK", (status, err, digests)))
    finally:
        for m in set(os.listdir(tree)) - before:
            os.remove(os.path.join(tree, m))
    return out


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--before", required=True)
    p.add_argument("--after", required=True)
    p.add_argument("--corpus", required=True)
    p.add_argument("--only", default="quake-like,many-small,big")
    p.add_argument("--scratch", help="where the outputs go (default: beside the corpus)")
    a = p.parse_args()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
    builds = [tuple(binary(d, n) for n in ("zorvak-pak", "zorvak_bench", "zorvak_build_bench"))
              for d in (os.path.abspath(a.before), os.path.abspath(a.after))]
    differences = 0
    for name in a.only.split(","):
        pak = os.path.join(a.corpus, name, name + ".pak")
        tree = os.path.join(a.corpus, name, "tree")
        results = []
        for tools in builds:
            work = tempfile.mkdtemp(prefix="zorvak-same-", dir=a.scratch or os.path.dirname(os.path.abspath(a.corpus)))
            try:
                results.append(scenario(tools, pak, tree, work, env))
            finally:
                shutil.rmtree(work, ignore_errors=True)
        for (label, x), (_, y) in zip(*results):
            if x != y:
                differences += 1
                print(f"{name}: {label} differs")
        print(f"{name}: {len(results[0])} results compared")
    print("same" if differences == 0 else f"{differences} differences")
    return 0 if differences == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
