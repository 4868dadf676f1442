#!/usr/bin/env python3
"""The dictionary generator refuses value ids that meet the strings the driver names by number.

Usage: value_ids_checks.py DATA_DIR
A value id is also the id of the value's display string. Each case copies the data files into a
scratch folder, changes one line, runs the generator and expects it to fail with the message of
that rule; the unchanged files must pass.
"""
import sys

sys.dont_write_bytecode = True  # run from the source tree: leave no cache there
import generator_cases  # noqa: E402

# (what the case breaks, file, text to find, its replacement, part of the expected message)
CASES = [
    ('the papers at the base of the file pages\' titles', 'maps.def', 'template PAPER 5300:',
     'template PAPER 5000:', 'value id 5004 of template PAPER (code 5) is a fixed string id'),
    ('the output papers one place off the papers', 'maps.def', 'template OUTPAPER 5300:',
     'template OUTPAPER 5301:', 'value id 5307 is computed for the codes [7, 8]'),
    ('a message text at a paper value', 'messages.def', 'KPD_ScaleIllegalMessage 235',
     'KPD_ScaleIllegalMessage 5300', 'value id 5300 of template OUTPAPER (code 1) is a fixed string id'),
    ('the trays at the base of the pages', 'maps.def', 'template TRAY 5600:', 'template TRAY 4000:',
     'value id 4003 of template TRAY (code 4) is a fixed string id'),
    ('a named string without its allowance', 'maps.def', 'allow MEDIA: 6002-6004', 'allow MEDIA: 6002-6003',
     'value id 6004 of template MEDIA (code 5) is a fixed string id'),
    ('an allowance that meets nothing', 'maps.def', 'allow MEDIA: 6002-6004', 'allow MEDIA: 6002-6005',
     'template MEDIA is allowed ids [6005] that meet no fixed string'),
]


def main():
    return generator_cases.check_cases(sys.argv[1], CASES)


if __name__ == '__main__':
    sys.exit(main())
