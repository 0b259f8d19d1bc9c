#!/usr/bin/env python3
"""Fails when the project's libraries link in a cycle.

Usage: check_lib_cycles.py SOURCE_DIR [--print]

Configures the tree afresh in a temporary folder with CMake's --graphviz output and looks
for a cycle among the link edges between the project's own targets. With --print it
writes the library graph, one library and what it links, for the README.
"""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

NODE = re.compile(r'^\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"')
EDGE = re.compile(r'^\s*"(node\d+)"\s*->\s*"(node\d+)"')


def read_graph(dot_text):
    names, edges = {}, {}
    for line in dot_text.splitlines():
        m = NODE.match(line)
        if m:
            names[m.group(1)] = m.group(2)
            continue
        m = EDGE.match(line)
        if m:
            edges.setdefault(m.group(1), set()).add(m.group(2))
    graph = {}
    for node, name in names.items():
        if not name.startswith("strikora_"):
            continue
        graph[name] = sorted(
            names[t] for t in edges.get(node, ()) if names[t].startswith("strikora_"))
    return graph


def find_cycle(graph):
    """One cycle as a list of names (first repeated at the end), or None."""
    state, stack = {}, []

    def visit(name):
        state[name] = "open"
        stack.append(name)
        for nxt in graph.get(name, ()):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[name] = "done"
        return None

    for name in sorted(graph):
        if name not in state:
            found = visit(name)
            if found:
                return found
    return None


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    source = Path(sys.argv[1]).resolve()
    with tempfile.TemporaryDirectory(prefix="libcycles-") as tmp:
        dot = Path(tmp) / "libs.dot"
        run = subprocess.run(
            ["cmake", "-S", str(source), "-B", str(Path(tmp) / "b"), f"--graphviz={dot}"],
            capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout + run.stderr, file=sys.stderr)
            print("check_lib_cycles: cmake could not configure the tree", file=sys.stderr)
            return 2
        graph = read_graph(dot.read_text())
    if "--print" in sys.argv[2:]:
        for name in sorted(graph):
            print(f"{name} -> {', '.join(graph[name]) or '(nothing of ours)'}")
    cycle = find_cycle(graph)
    if cycle:
        print("check_lib_cycles: the libraries link in a cycle: " + " -> ".join(cycle))
        return 1
    print(f"check_lib_cycles: {len(graph)} libraries, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
