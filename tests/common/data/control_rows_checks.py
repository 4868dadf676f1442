#!/usr/bin/env python3
"""The dictionary generator refuses control rows that break the table's rules.

Usage: control_rows_checks.py DATA_DIR
Each case copies the data files into a scratch folder, changes one row of
page_controls.def (or pages.def), runs the generator and expects it to fail with the
message of that rule; the unchanged files must pass.
"""
import sys

sys.dont_write_bytecode = True  # run from the source tree: leave no cache there
import generator_cases  # noqa: E402

# (what the case breaks, file, text to find, its replacement, part of the expected message)
CASES = [
    ('a control id twice on a page', 'page_controls.def', '619 2558 4 10112', '619 2001 4 10112',
     'repeats control ids'),
    ('a kind outside the kind table', 'page_controls.def', '619 2558 4 10112', '619 2558 7 10112',
     'not in the kind table'),
    ('an item id below the control rows', 'page_controls.def', '619 2558 4 10112', '617 2558 4 10112',
     'outside the control rows'),
    ('a control id above 5005', 'page_controls.def', '619 2558 4 10112', '619 5006 4 10112',
     'outside 1-5005'),
    ('a spin bar without its buddy', 'page_controls.def', '641 2030 23 10112 - - 2029', '641 2030 23 10112 - - 4444',
     'buddy edit'),
    ('a link to nothing on the page', 'page_controls.def', '638 2025 2 10109 - - 637', '638 2025 2 10109 - - 1999',
     'names nothing on the page'),
    ('a lock row with another message', 'page_controls.def', 'lock 10204 10419', 'lock 10205 10419',
     'bad lock row'),
    ('a flag the table does not set', 'page_controls.def', '619 2558 4 10112 - - - -',
     '619 2558 4 10112 - - - - flags 0x10000', 'only the user-unit flag'),
    ('slider steps on a combo', 'page_controls.def', '622 2009 48 10103 - - - - extra 4:1,7005',
     '622 2009 48 10103 - - - - extra 3:1,10,0', 'extra data of type 3 on kind 48'),
    ('a press-and-hold row stepping a missing control', 'page_controls.def', 'extra 5:1:2273,2275,2277',
     'extra 5:1:2273,2275,9999', 'steps a control the page lacks'),
    ('a summary list on an edit that shows no summary', 'page_controls.def', '1216 2248 61 - - - - - extra summary',
     '1216 2248 61 - - - - -', 'extra data rows'),
    ('a summary list on another edit', 'page_controls.def', '1216 2248 61 - - - - - extra summary',
     '1216 2249 61 - - - - - extra summary', 'only the summary edits'),
    ('a row missing from a page', 'page_controls.def', '619 2558 4 10112 - - - -\n', '',
     'has 41 control rows'),
    ('a page table count the rows do not give', 'pages.def', '1002 KPD_IDD_BASIC 0x11 22001 54',
     '1002 KPD_IDD_BASIC 0x11 22001 53', 'has 54 control rows'),
    ('a linked total off by one', 'page_controls.def', '638 2025 2 10109 - - 637 -', '638 2025 2 10109 - - - -',
     'linked rows'),
]


def main():
    return generator_cases.check_cases(sys.argv[1], CASES)


if __name__ == '__main__':
    sys.exit(main())
