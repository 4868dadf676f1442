#!/usr/bin/env python3
"""Gives the controls and pages of a UI resource script their captions in words, from a
reviewed table, and checks that no text the templates show is left as a control symbol or a
bare value id.

Usage: make_captions.py [--check] SCRIPT.rc TABLE

The table has one entry a line, `KEY WORDS` (blank lines and lines starting with '#' are
comments). KEY is
  SYMBOL           every control whose caption is that symbol (IDC_BASIC_19);
  TEMPLATE/ID      the control with that id in the template with that resource id (1002/3314),
                   for the controls of one template that share a symbol;
  page TEMPLATE    the caption (title) of that template.
A control's caption is rewritten only while it is still a symbol, so the script can be run
again on a script that others have added templates to: what is already in words stays as it
is. Titles named by the table are set to the table's words.

Without --check the script is rewritten in place (only when something changes); in both
modes it then fails, listing them, when a shown text of a template (a control's caption or a
template's title) is a symbol or a bare number."""
import re
import sys

# The statements of a template whose first argument is a shown text.
CONTROL = re.compile(
    r'^(?P<head>\s*(?:CONTROL|LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX|CHECKBOX|AUTOCHECKBOX|'
    r'RADIOBUTTON|AUTORADIOBUTTON|STATE3|AUTO3STATE|PUSHBOX)\s+)"(?P<text>(?:[^"]|"")*)"(?P<sep>\s*,\s*)(?P<id>-?\w+)')
TEMPLATE = re.compile(r'^\s*(?P<id>\d+)\s+DIALOG(?:EX)?\b')
TITLE = re.compile(r'^(?P<head>\s*CAPTION\s+)"(?P<text>(?:[^"]|"")*)"')
# A control symbol (IDC_..., KPD_IDC_..., RADIOLIST_5, IDOK...) or any upper-case name with an
# underscore, and a bare number (a value id shown in place of its text).
SYMBOL = re.compile(r'^(?:KPD_)?(?:IDC|IDD|IDS|RADIOLIST)_\w*$|^[A-Z][A-Z0-9]*(?:_[A-Z0-9]+)+$')
BARE_ID = re.compile(r'^\s*-?\d+\s*$')


def shown_fault(text):
    return bool(SYMBOL.match(text) or BARE_ID.match(text))


def read_table(path):
    symbols, controls, titles = {}, {}, {}
    faults = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            parts = line.split(None, 2) if line.startswith("page ") else line.split(None, 1)
            if len(parts) < (3 if line.startswith("page ") else 2):
                faults.append(f"{path}:{number}: an entry needs a key and words")
                continue
            words = parts[-1].strip()
            if shown_fault(words) or '"' in words:
                faults.append(f"{path}:{number}: '{words}' is not words")
                continue
            if parts[0] == "page":
                if not parts[1].isdigit():
                    faults.append(f"{path}:{number}: 'page' needs a template id")
                    continue
                table, key = titles, int(parts[1])
            elif re.fullmatch(r"\d+/\d+", parts[0]):
                page, control = parts[0].split("/")
                table, key = controls, (int(page), int(control))
            elif SYMBOL.match(parts[0]):
                table, key = symbols, parts[0]
            else:
                faults.append(f"{path}:{number}: '{parts[0]}' is no symbol, TEMPLATE/ID or page key")
                continue
            if key in table and table[key] != words:
                faults.append(f"{path}:{number}: {parts[0]} has two captions")
                continue
            table[key] = words
    return symbols, controls, titles, faults


def control_id(text):
    try:
        return int(text, 0)
    except ValueError:
        return None  # a symbolic id: only its symbol entry can name it


def apply(lines, symbols, controls, titles):
    """The script's lines with the table applied, and the faults left in what they show."""
    out, faults = [], []
    template = None
    for number, line in enumerate(lines, 1):
        m = TEMPLATE.match(line)
        if m:
            template = int(m.group("id"))
            out.append(line)
            continue
        m = TITLE.match(line)
        if m and template is not None:
            text = m.group("text")
            if template in titles:
                text = titles[template]
                line = line[: m.start("text")] + text + line[m.end("text"):]
            if shown_fault(text):
                faults.append(f"line {number}: the title of {template} is '{text}'")
            out.append(line)
            continue
        m = CONTROL.match(line)
        if m and template is not None:
            text = m.group("text")
            if SYMBOL.match(text):
                cid = control_id(m.group("id"))
                words = controls.get((template, cid)) if cid is not None else None
                if words is None:
                    words = symbols.get(text)
                if words is not None:
                    text = words.replace('"', '""')
                    line = line[: m.start("text")] + text + line[m.end("text"):]
            if shown_fault(text):
                faults.append(f"line {number}: control {m.group('id')} of {template} shows '{text}'")
        out.append(line)
    return out, faults


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    if len(args) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    script, table = args
    symbols, controls, titles, faults = read_table(table)
    if faults:
        print("\n".join(faults), file=sys.stderr)
        return 1
    with open(script, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    out, faults = apply(lines, symbols, controls, titles)
    if check:
        if out != lines:
            faults.insert(0, f"{script} is not up to date with {table}: run make_captions.py")
    elif out != lines:
        with open(script, "w", encoding="utf-8", newline="") as f:
            f.write("\n".join(out))
    if faults:
        print(f"{script}: texts shown as symbols or bare ids:", file=sys.stderr)
        print("\n".join("  " + f for f in faults), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
