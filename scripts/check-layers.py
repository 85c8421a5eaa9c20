#!/usr/bin/env python3
"""Fails when a file includes a layer above its own, a toolkit-free file includes Qt, or two
modules include each other's headers. The layers are named by folder (docs/ARCHITECTURE.md)."""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORE, NET, RENDER, UI, TOOL, TEST = range(6)
NAMES = {CORE: "core", NET: "net", RENDER: "render", UI: "widgets", TOOL: "tools", TEST: "tests"}


def layer(path):
    parts = path.parts
    if parts[0] in ("tests", "bench", "fuzz"):
        return TEST
    if parts[0] == "tools":
        return TOOL
    if parts[0] in ("app", "ui") or "ui" in parts[1:-1]:
        return UI
    if "paint" in parts[1:-1]:
        return RENDER
    if "net" in parts[1:-1]:
        return NET
    return CORE


def allowed(own, other):
    if own in (TEST, TOOL):
        return other != TEST or own == TEST
    if own == UI:
        return other in (CORE, NET, RENDER, UI)
    if own == RENDER:
        return other in (CORE, RENDER)
    if own == NET:
        return other in (CORE, NET)
    return other == CORE


files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, capture_output=True,
                       text=True, check=True).stdout.split()
problems = []
module_includes = {}
for name in files:
    path = pathlib.Path(name)
    own = layer(path)
    module = str(path.with_suffix(""))
    text = (ROOT / path).read_text(encoding="utf-8")
    for included in re.findall(r'^#include "([^"]+)"', text, re.M):
        if included.endswith(".moc"):
            continue
        other_path = pathlib.Path(included)
        if not (ROOT / other_path).exists():
            continue
        other = layer(other_path)
        if not allowed(own, other):
            problems.append(f"{name}: {NAMES[own]} includes {NAMES[other]} file {included}")
        other_module = str(other_path.with_suffix(""))
        if other_module != module:
            module_includes.setdefault(module, set()).add(other_module)
    if own in (CORE, NET) and re.search(r"^#include <Q", text, re.M):
        problems.append(f"{name}: a toolkit-free file includes Qt")
for module, others in module_includes.items():
    for other in others:
        if module < other and module in module_includes.get(other, set()):
            problems.append(f"{module} and {other} include each other")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
