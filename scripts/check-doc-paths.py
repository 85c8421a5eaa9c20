#!/usr/bin/env python3
"""Checks that the paths named in README.md, CONTRIBUTING.md and docs/*.md are real.

A build/<preset>/... path in a build tree that exists must exist itself; a path in a tree that
was not built (the benchmarks, the fuzz targets) must name a target of the source folder it
mirrors. A source path in backticks (`data/FileIo.h`, `app/window/Main.*`) must name a file or
folder of the repository (a generated file by its `.in` template).
"""
import json
import os
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent
presets = {p["name"] for p in json.loads((root / "CMakePresets.json").read_text())["configurePresets"]}
path_pattern = re.compile(r"(?<![\w/.])build/([A-Za-z0-9_-]+)/([^\s`'\")\]]+)")
quoted_pattern = re.compile(r"`([^`\s]+)`")
# Source paths start with a top-level folder of the repository.
source_tops = {p.name for p in root.iterdir() if p.is_dir() and p.name not in (".git", "build")}

docs = ["README.md", "CONTRIBUTING.md"] + sorted(
    str(p.relative_to(root)) for p in (root / "docs").glob("*.md"))

problems = []
checked = 0


def all_lists():
    """Every CMakeLists.txt of the sources (not of the build trees)."""
    found = []
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [d for d in subfolders if not (folder == str(root) and d in ("build", ".git"))]
        if "CMakeLists.txt" in files:
            found.append(pathlib.Path(folder) / "CMakeLists.txt")
    return found


def check_build_path(doc, number, preset, rest):
    tree = root / "build" / preset
    if tree.is_dir():
        if not (tree / rest).exists():
            problems.append(f"{doc}:{number}: build/{preset}/{rest} does not exist")
        return
    # Programs sit at the top of the tree; other targets in the folder they are built from.
    folder, _, name = rest.rpartition("/")
    lists = [root / folder / "CMakeLists.txt"] if folder else all_lists()
    target = re.compile(rf"\(\s*{re.escape(name)}[\s)]")
    if not any(f.is_file() and target.search(f.read_text(encoding="utf-8")) for f in lists):
        problems.append(f"{doc}:{number}: build/{preset}/{rest} is no target of {folder or 'the project'}")


def source_path_exists(path):
    if any(c in path for c in "*?["):
        return any(root.glob(path))
    return (root / path).exists() or (root / (path + ".in")).exists()


for doc in docs:
    for number, line in enumerate((root / doc).read_text(encoding="utf-8").splitlines(), 1):
        for match in path_pattern.finditer(line):
            preset, rest = match.group(1), match.group(2).rstrip(".,;:")
            if preset not in presets or "<" in rest or "…" in rest:
                continue
            checked += 1
            check_build_path(doc, number, preset, rest)
        for match in quoted_pattern.finditer(line):
            path = match.group(1).rstrip(".,;:")
            if "/" not in path or path.split("/")[0] not in source_tops or "<" in path or "…" in path:
                continue
            checked += 1
            if not source_path_exists(path):
                problems.append(f"{doc}:{number}: {path} is no file or folder of the repository")

for problem in problems:
    print(problem, file=sys.stderr)
print(f"{checked} paths named in the notes, {len(problems)} wrong")
sys.exit(1 if problems else 0)
