#!/usr/bin/env python3
"""The floor check (scripts/check_floors.py) passes on the tree and fails on a copy of it
where a folder includes one above it, where two folders include each other, and where a
folder is on no floor.

Usage: floors_checks.py ROOT
"""
import os
import shutil
import subprocess
import sys
import tempfile


def run_check(script, root):
    return subprocess.run([sys.executable, script, root], capture_output=True, text=True)


def copy_tree(root, into):
    shutil.copytree(os.path.join(root, 'src', 'common'), os.path.join(into, 'src', 'common'),
                    ignore=shutil.ignore_patterns('*.def', '*.md'))


def plant(into, relative, line):
    path = os.path.join(into, 'src', 'common', relative)
    with open(path, encoding='utf-8') as f:
        text = f.read()
    with open(path, 'w', encoding='utf-8') as f:
        f.write(line + '\n' + text)


def main():
    root = sys.argv[1]
    script = os.path.join(root, 'scripts', 'check_floors.py')
    failures = []

    result = run_check(script, root)
    if result.returncode != 0:
        failures.append('the tree fails the check:\n' + result.stderr)

    cases = [
        # (what is planted, file, line or folder, text the report must hold)
        ('an upward include', 'base/memory.cpp', '#include "pages/page_refresh.h"',
         'base/memory.cpp:1: base/ includes pages/'),
        ('an upward include from a header', 'fields/field_table.h', '#include "context/context_cache.h"',
         'fields/ includes context/'),
        ('two folders that include each other', 'base/memory.h', '#include "fields/field_table.h"',
         'folder cycle'),
    ]
    for what, relative, line, expected in cases:
        with tempfile.TemporaryDirectory() as into:
            copy_tree(root, into)
            plant(into, relative, line)
            result = run_check(script, into)
            if result.returncode == 0 or expected not in result.stderr:
                failures.append(f'{what} is not reported (exit {result.returncode}):\n{result.stderr}')

    with tempfile.TemporaryDirectory() as into:
        copy_tree(root, into)
        os.makedirs(os.path.join(into, 'src', 'common', 'extras'))
        result = run_check(script, into)
        if result.returncode == 0 or 'extras/ is on no floor' not in result.stderr:
            failures.append(f'a folder on no floor is not reported (exit {result.returncode}):\n{result.stderr}')

    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
