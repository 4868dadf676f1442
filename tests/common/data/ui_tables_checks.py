#!/usr/bin/env python3
"""The dictionary generator refuses picture and control size rows that break their rules.

Usage: ui_tables_checks.py DATA_DIR
Each case copies the data files into a scratch folder, changes one row of pictures.def or
control_sizes.def, runs the generator and expects it to fail with the message of that rule;
the unchanged files must pass.
"""
import sys

sys.dont_write_bytecode = True  # run from the source tree: leave no cache there
import generator_cases  # noqa: E402

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


def main():
    return generator_cases.check_cases(sys.argv[1], CASES)


if __name__ == '__main__':
    sys.exit(main())
