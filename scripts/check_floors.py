#!/usr/bin/env python3
"""The floors of the common code: a folder of src/common includes only folders below it.

Reads the floor order from src/common/floors.txt (one folder a line, bottom first), scans
every `#include "folder/..."` line of the files under src/common, and fails listing each
include that goes up a floor, each cycle between folders and each folder the table lacks.

Usage: check_floors.py [ROOT]   (ROOT: the project folder; by default this script's parent)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"')
SOURCE_ENDINGS = ('.h', '.hpp', '.cpp', '.c', '.inc')


def read_floors(common):
    floors = []
    with open(os.path.join(common, 'floors.txt'), encoding='utf-8') as table:
        for line in table:
            name = line.split('#', 1)[0].strip()
            if name:
                floors.append(name)
    return floors


def scan(common):
    """(folder, included folder, file, line number) for every include of another folder."""
    edges = []
    for folder in sorted(os.listdir(common)):
        path = os.path.join(common, folder)
        if not os.path.isdir(path):
            continue
        for directory, _, names in os.walk(path):
            for name in sorted(names):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                file = os.path.join(directory, name)
                with open(file, encoding='utf-8', errors='replace') as text:
                    for number, line in enumerate(text, 1):
                        match = INCLUDE.match(line)
                        if match and match.group(1) != folder and os.path.isdir(os.path.join(common, match.group(1))):
                            edges.append((folder, match.group(1), os.path.relpath(file, common), number))
    return edges


def cycles(edges):
    """Each cycle of the folder graph, found once (as a list of folders)."""
    graph = {}
    for a, b, _, _ in edges:
        graph.setdefault(a, set()).add(b)
    found, seen = [], set()

    def walk(start, node, trail):
        for nxt in sorted(graph.get(node, ())):
            if nxt == start:
                key = frozenset(trail)
                if key not in seen:
                    seen.add(key)
                    found.append(trail + [start])
            elif nxt not in trail and nxt > start:
                walk(start, nxt, trail + [nxt])

    for start in sorted(graph):
        walk(start, start, [start])
    return found


def check(root):
    common = os.path.join(root, 'src', 'common')
    floors = read_floors(common)
    problems = []
    folders = sorted(f for f in os.listdir(common) if os.path.isdir(os.path.join(common, f)))
    for folder in folders:
        if folder not in floors:
            problems.append(f'src/common/{folder}/ is on no floor: add it to src/common/floors.txt')
    for name in floors:
        if name not in folders:
            problems.append(f'src/common/floors.txt names {name}/, which does not exist')
    edges = scan(common)
    rank = {name: i for i, name in enumerate(floors)}
    for a, b, file, number in edges:
        if a in rank and b in rank and rank[b] > rank[a]:
            problems.append(f'src/common/{file}:{number}: {a}/ includes {b}/, a floor above it')
    for cycle in cycles(edges):
        problems.append('folder cycle: ' + ' -> '.join(cycle))
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = check(root)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f'floors: {len(problems)} problem(s); a folder of src/common includes only folders below it',
              file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
