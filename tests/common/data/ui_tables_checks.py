#!/usr/bin/env python3
"""The dictionary generator refuses picture and control size rows that break their rules.

Usage: ui_tables_checks.py DATA_DIR
Each case copies the data files into a scratch folder, changes one row of pictures.def or
control_sizes.def, runs the generator and expects it to fail with the message of that rule;
the unchanged files must pass.
"""
import os
import shutil
import subprocess
import sys
import tempfile

FIRST_PICTURE = '2026 - - - 0x50 192 48 - -\n'
LOCK_PICTURE = '7006 - - - 0x10 20 20 - -\n'
PORTRAIT = '6001 - - - - 50 69 - -\n'

# (what the case breaks, file, text to find, its replacement, part of the expected message)
CASES = [
    ('a picture row missing', 'pictures.def', FIRST_PICTURE, '', '1089 picture rows'),
    ('a picture row too many', 'pictures.def', PORTRAIT, PORTRAIT + PORTRAIT, '1091 picture rows'),
    ('picture id 0 inside the table', 'pictures.def', PORTRAIT, '0 - - - - 50 69 - -\n', 'outside 1-65535'),
    ('an offset', 'pictures.def', PORTRAIT, '6001 - 4 - - 50 69 - -\n', 'no overlay, offset or background'),
    ('an overlay', 'pictures.def', PORTRAIT, '6001 6002 - - - 50 69 - -\n', 'no overlay, offset or background'),
    ('a background', 'pictures.def', PORTRAIT, '6001 - - - - 50 69 3 0xFF\n', 'no overlay, offset or background'),
    ('another flag', 'pictures.def', PORTRAIT, '6001 - - - 0x1 50 69 - -\n', 'flags 0x1'),
    ('a centred row less', 'pictures.def', FIRST_PICTURE, '2026 - - - - 192 48 - -\n',
     '165 picture rows with flags 0x50'),
    ('a second row centred across', 'pictures.def', PORTRAIT, '6001 - - - 0x10 50 69 - -\n',
     '2 picture rows with flags 0x10'),
    ('the lock picture swapped with a value', 'pictures.def', LOCK_PICTURE, '7005 - - - 0x10 20 20 - -\n',
     'the rule gives the lock picture'),
    ('a picture control value out of order', 'pictures.def', FIRST_PICTURE + '2027 - - - 0x50 192 48 - -\n',
     '2027 - - - 0x50 192 48 - -\n' + FIRST_PICTURE, 'picture row 1 is 2027'),
    ('a preview with a picture control size', 'pictures.def', PORTRAIT, '6001 - - - - 192 48 - -\n',
     'a portrait preview'),
    ('a size row missing', 'control_sizes.def', '2009 0 24', '', '130 control size rows'),
    ('a control that is not owner-drawn', 'control_sizes.def', '2009 0 24', '2003 0 24', 'is 2009 of page 1001'),
    ('a combo with the icon list size', 'control_sizes.def', '2009 0 24', '2009 72 93', 'kind 48 takes 0 x 24'),
    ('a size row too many', 'control_sizes.def', '2009 0 24', '2009 0 24\n2009 0 24', '132 control size rows'),
]


def run(data_dir, out_dir):
    gen = os.path.join(data_dir, 'gen_dictionary.py')
    return subprocess.run([sys.executable, gen, data_dir, os.path.join(out_dir, 'd.cpp'),
                           os.path.join(out_dir, 'ids.h')], capture_output=True, text=True)


def main():
    source = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        plain = run(source, scratch)
        if plain.returncode != 0:
            failures.append('unchanged data refused: ' + plain.stderr.strip())
        for what, name, old, new, expect in CASES:
            data = os.path.join(scratch, 'data')
            shutil.rmtree(data, ignore_errors=True)
            shutil.copytree(source, data, ignore=shutil.ignore_patterns('__pycache__'))
            path = os.path.join(data, name)
            text = open(path, encoding='ascii').read()
            if old not in text:
                failures.append('%s: the row to change is gone' % what)
                continue
            open(path, 'w', encoding='ascii').write(text.replace(old, new, 1))
            r = run(data, scratch)
            message = r.stderr + r.stdout
            if r.returncode == 0 or expect not in message:
                failures.append('%s: expected a failure with "%s", got %d: %s' % (what, expect, r.returncode,
                                                                                message.strip()))
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
