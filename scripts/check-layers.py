#!/usr/bin/env python3
"""Fails when a file includes a layer above its own, a toolkit-free file includes Qt, or modules
include each other in a cycle of any length. The layers are named by folder
(docs/ARCHITECTURE.md): the application (app/) sits on the widgets (ui/, <concept>/ui/), which
never include it."""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORE, NET, RENDER, WIDGETS, APP, TOOL, TEST = range(7)
NAMES = {CORE: "core", NET: "net", RENDER: "render", WIDGETS: "widgets", APP: "app",
         TOOL: "tools", TEST: "tests"}
# What each layer may include besides itself. Tools and tests take what they need, but tools
# never take tests' helpers.
BELOW = {
    CORE: set(),
    NET: {CORE},
    RENDER: {CORE},
    WIDGETS: {CORE, NET, RENDER},
    APP: {CORE, NET, RENDER, WIDGETS},
    TOOL: {CORE, NET, RENDER, WIDGETS, APP},
    TEST: {CORE, NET, RENDER, WIDGETS, APP, TOOL},
}


def layer(path):
    parts = path.parts
    if parts[0] in ("tests", "bench", "fuzz"):
        return TEST
    if parts[0] == "tools":
        return TOOL
    if parts[0] == "app":  # every folder under app/ too
        return APP
    if parts[0] == "ui" or "ui" in parts[1:-1]:
        return WIDGETS
    if "paint" in parts[1:-1]:
        return RENDER
    # The layers that wrap an outside library without Qt: the download, the ticket database.
    if "net" in parts[1:-1] or "store" in parts[1:-1]:
        return NET
    return CORE


def cycles(graph):
    """One cycle for each strongly connected component of more than one module (Tarjan,
    iterative), as the path of modules that closes it."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph.get(root, ()))))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(cycle_path(graph, set(component)))
    return found


def cycle_path(graph, component):
    """A shortest cycle from the component's first module back to itself, inside it."""
    start = min(component)
    previous = {start: None}
    queue = [start]
    for node in queue:
        for child in sorted(graph.get(node, ())):
            if child == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if child in component and child not in previous:
                previous[child] = node
                queue.append(child)
    return sorted(component)


def main():
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, capture_output=True,
                           text=True, check=True).stdout.split()
    problems = []
    module_includes = {}
    for name in files:
        path = pathlib.Path(name)
        if not (ROOT / path).exists():  # deleted in the working tree, not yet in the index
            continue
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
            if other != own and other not in BELOW[own]:
                problems.append(f"{name}: {NAMES[own]} includes {NAMES[other]} file {included}")
            other_module = str(other_path.with_suffix(""))
            if other_module != module:
                module_includes.setdefault(module, set()).add(other_module)
        if own in (CORE, NET) and re.search(r"^#include <Q", text, re.M):
            problems.append(f"{name}: a toolkit-free file includes Qt")
    for cycle in cycles(module_includes):
        problems.append("include cycle: " + " -> ".join(cycle))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
