#!/usr/bin/env python3
"""Checks that every build/<preset>/... path named in README.md and CONTRIBUTING.md is real.

A path in a build tree that exists must exist itself; a path in a tree that was not built
(the benchmarks, the fuzz targets) must name a target of the source folder it mirrors.
"""
import json
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
presets = {p["name"] for p in json.loads((root / "CMakePresets.json").read_text())["configurePresets"]}
path_pattern = re.compile(r"(?<![\w/.])build/([A-Za-z0-9_-]+)/([^\s`'\")\]]+)")

problems = []
checked = 0
for doc in ("README.md", "CONTRIBUTING.md"):
    for number, line in enumerate((root / doc).read_text(encoding="utf-8").splitlines(), 1):
        for match in path_pattern.finditer(line):
            preset, rest = match.group(1), match.group(2).rstrip(".,;:")
            if preset not in presets or "<" in rest or "…" in rest:
                continue
            checked += 1
            tree = root / "build" / preset
            if tree.is_dir():
                if not (tree / rest).exists():
                    problems.append(f"{doc}:{number}: build/{preset}/{rest} does not exist")
                continue
            # Programs sit at the top of the tree; other targets in the folder they are built from.
            folder, _, name = rest.rpartition("/")
            lists = [root / folder / "CMakeLists.txt"] if folder else list(root.glob("*/CMakeLists.txt"))
            target = re.compile(rf"\(\s*{re.escape(name)}[\s)]")
            if not any(f.is_file() and target.search(f.read_text(encoding="utf-8")) for f in lists):
                problems.append(f"{doc}:{number}: build/{preset}/{rest} is no target of {folder or 'the project'}")

for problem in problems:
    print(problem, file=sys.stderr)
print(f"{checked} build paths named in the notes, {len(problems)} wrong")
sys.exit(1 if problems else 0)
