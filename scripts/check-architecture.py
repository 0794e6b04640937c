#!/usr/bin/env python3
"""Keeps docs/ARCHITECTURE.md true to the tree: every folder its table of
folders names must exist and hold sources, and every folder that holds
sources (.cpp or .h files git tracks) must be named there. Exits 1 and says
which when they disagree."""
import os
import re
import subprocess
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
doc = os.path.join(root, "docs", "ARCHITECTURE.md")

tracked = subprocess.run(["git", "-C", root, "ls-files", "*.cpp", "*.h"], check=True,
                         capture_output=True, text=True).stdout.split()
sources = {os.path.dirname(p) for p in tracked}

named = set()
in_table = False
with open(doc, encoding="utf-8") as f:
    for line in f:
        if line.startswith("## "):
            in_table = line.strip() == "## Folders"
            continue
        # A row of the table: | `framework/linux/` | ... |
        m = re.match(r"^\|\s*`([^`]+)/`", line)
        if in_table and m:
            named.add(m.group(1))

problems = [f"docs/ARCHITECTURE.md names {d}/, which holds no sources" for d in sorted(named - sources)]
problems += [f"{d}/ holds sources but docs/ARCHITECTURE.md does not name it" for d in sorted(sources - named)]
for p in problems:
    print("check-architecture: " + p)
if not problems:
    print(f"check-architecture: {len(named)} folders, each named and there")
sys.exit(1 if problems else 0)
