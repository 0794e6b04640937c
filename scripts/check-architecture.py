#!/usr/bin/env python3
"""Keeps docs/ARCHITECTURE.md true to the tree. Every folder its table of
folders names must exist and hold sources, and every folder that holds
sources (.cpp or .h files git tracks) must be named there. A file may
include from its own folder and from those its row's last column
allows (`*` for any).
Exits 1 and says which when they disagree."""
import os
import re
import subprocess
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
doc = os.path.join(root, "docs", "ARCHITECTURE.md")

tracked = subprocess.run(["git", "-C", root, "ls-files", "*.cpp", "*.h"], check=True,
                         capture_output=True, text=True).stdout.split()
sources = {os.path.dirname(p) for p in tracked}

allowed = {}
in_table = False
with open(doc, encoding="utf-8") as f:
    for line in f:
        if line.startswith("## "):
            in_table = line.strip() == "## Folders"
            continue
        # A row of the table: | `framework/linux/` | ... | `framework/` |
        m = re.match(r"^\|\s*`([^`]+)/`", line)
        if in_table and m:
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            allowed[m.group(1)] = set(re.findall(r"`([^`]+?)/?`", cells[-1]))

problems = [f"docs/ARCHITECTURE.md names {d}/, which holds no sources"
            for d in sorted(set(allowed) - sources)]
problems += [f"{d}/ holds sources but docs/ARCHITECTURE.md does not name it"
             for d in sorted(sources - set(allowed))]

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
for path in tracked:
    folder = os.path.dirname(path)
    may = allowed.get(folder)
    if may is None or "*" in may:
        continue
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = include.match(line)
            if not m or "/" not in m.group(1):
                continue
            target = os.path.dirname(m.group(1))
            if target != folder and target not in may:
                problems.append(f"{path}:{number} includes {m.group(1)}, "
                                f"but {folder}/ may include only from "
                                + ", ".join(sorted(d + "/" for d in may)))

for p in problems:
    print("check-architecture: " + p)
if not problems:
    print(f"check-architecture: {len(allowed)} folders, each named, there and "
          "including only what it may")
sys.exit(1 if problems else 0)
