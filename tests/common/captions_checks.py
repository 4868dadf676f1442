#!/usr/bin/env python3
"""The caption generator (tools/make_captions.py) on small scripts: it writes the table's words
over captions that are still symbols, keeps captions already in words, can run again without
changing anything, and fails while a template shows a symbol or a bare value id; its check
fails on a script the table would still change.

Usage: captions_checks.py ROOT
"""
import os
import subprocess
import sys
import tempfile

SCRIPT = """STRINGTABLE
BEGIN
  10 "Plain paper"
END

1001 DIALOGEX 0, 0, 320, 100
STYLE DS_SETFONT | WS_CHILD
CAPTION "Printquality"
FONT 8, "MS Shell Dlg", 400, 0, 0x1
BEGIN
    CONTROL "IDC_PRESET_STATIC_COPIES", 2028, "Static", SS_LEFT | WS_CHILD, 7, 7, 96, 12
    CONTROL "", 2029, "Edit", ES_AUTOHSCROLL | WS_CHILD, 111, 7, 96, 12
    CONTROL "IDC_BASIC_08", 3314, "Button", BS_AUTORADIOBUTTON | WS_CHILD, 7, 25, 96, 12
    CONTROL "IDC_BASIC_08", 3315, "Button", BS_AUTORADIOBUTTON | WS_CHILD, 111, 25, 96, 12
    CONTROL "Typed by hand", 2030, "Static", SS_LEFT | WS_CHILD, 7, 43, 96, 12
    PUSHBUTTON "IDC_PRESET_BUTTON_DEFAULT", 2034, 7, 61, 96, 14
END
"""
TABLE = """# a table
page 1001        Print Quality
IDC_PRESET_STATIC_COPIES   Copies:
IDC_PRESET_BUTTON_DEFAULT  Restore Defaults
1001/3314        On
1001/3315        Off
IDC_NOT_IN_THE_SCRIPT      Unused
"""


def run(tool, *args):
    return subprocess.run([sys.executable, tool, *args], capture_output=True, text=True)


def write(path, text):
    with open(path, 'w', encoding='utf-8', newline='') as f:
        f.write(text)


def read(path):
    with open(path, encoding='utf-8', newline='') as f:
        return f.read()


def main(argv):
    tool = os.path.join(argv[1], 'tools', 'make_captions.py')
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    with tempfile.TemporaryDirectory() as work:
        rc, table = os.path.join(work, 'ui.rc'), os.path.join(work, 'ui.captions')
        write(rc, SCRIPT)
        write(table, TABLE)
        expect(run(tool, '--check', rc, table).returncode != 0, 'the check passes on symbols')
        result = run(tool, rc, table)
        expect(result.returncode == 0, 'applying the table fails: ' + result.stderr)
        text = read(rc)
        for shown in ('"Copies:", 2028', '"On", 3314', '"Off", 3315', '"Typed by hand", 2030',
                      'PUSHBUTTON "Restore Defaults", 2034', 'CAPTION "Print Quality"', '10 "Plain paper"'):
            expect(shown in text, 'not in the script: ' + shown)
        expect('IDC_' not in text, 'a symbol is left')
        expect(run(tool, '--check', rc, table).returncode == 0, 'the check fails on the result')
        result = run(tool, rc, table)
        expect(result.returncode == 0 and read(rc) == text, 'a second run changes the script')

        # A template added later with a symbol the table names and one it does not name.
        write(rc, text + SCRIPT.replace('1001 DIALOGEX', '1002 DIALOGEX').replace(
            'IDC_BASIC_08', 'IDC_OTHER_01'))
        result = run(tool, rc, table)
        expect(result.returncode != 0, 'a symbol the table does not name passes')
        expect('IDC_OTHER_01' in result.stderr, 'the fault does not name the symbol')
        expect('"Copies:", 2028' in read(rc).split('1002 DIALOGEX')[1], 'the added template is not in words')

        # A bare value id shown as a caption fails; so does a table whose words are a symbol.
        write(rc, SCRIPT.replace('"Typed by hand"', '"20192"'))
        expect(run(tool, rc, table).returncode != 0, 'a bare value id passes')
        write(rc, SCRIPT)
        write(table, TABLE + 'IDC_BASIC_09  IDC_BASIC_10\n')
        expect(run(tool, rc, table).returncode != 0, 'a symbol as words passes')

    for f in failures:
        print('FAILED: ' + f)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
