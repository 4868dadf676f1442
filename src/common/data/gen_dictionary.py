#!/usr/bin/env python3
"""Builds the shared dictionary's C++ tables from the data files of this folder.

Usage: gen_dictionary.py DATA_DIR OUTPUT_CPP [OUTPUT_IDS_H] [--summary]
OUTPUT_IDS_H, when given, receives field_ids.h: a constant per named field (namespace fid).
The rules that fill the tables given only by layout and count are stated in README.md;
this script is their one implementation.
"""
import re
import sys

sys.dont_write_bytecode = True  # the generator runs from the source tree: leave no cache there
import gen_ui_tables  # noqa: E402

TYPES = {'s8': (1, 1), 's16': (2, 2), 's32': (3, 4), 'u8': (4, 1), 'u16': (5, 2), 'u32': (6, 4)}

FIELD_COUNT = 1989
AREA_SIZES = {1: 1236, 2: 5264, 3: 3580}
CONTROL_NAME_COUNT = 1954
VALUE_NAME_COUNT = 2992
IDS_COUNT = 3418
MESSAGE_COUNT = 65
PAGE_COUNT = 79
MAP_FIELD_COUNT = 115
MAP_PAIR_COUNT = 4312
MAP_OFFERED_COUNT = 1141
FIELDS_WITH_ITEM_ID = 680
FIRST_MESSAGE_ORDINAL = 474
FIRST_PAGE_ORDINAL = 539
FIRST_CONTROL_ORDINAL = 618
NOT_OFFERED = 0xFFFF
GENERIC_VALUE_BASE = 20000
VALUE_STRING_BASE = 30000
FIELD_STRING_BASE = 40000


def fail(msg):
    raise SystemExit('gen_dictionary: ' + msg)


def lines_of(path):
    for raw in open(path, encoding='ascii'):
        line = raw.strip()
        if line and not line.startswith('#'):
            yield line


def ranges(text):
    out = []
    for part in re.split(r'[ ,]+', text.strip()):
        if not part:
            continue
        if '-' in part[1:]:
            a, b = part.split('-', 1)
            out.extend(range(int(a), int(b) + 1))
        else:
            out.append(int(part))
    return out


def type_of(word):
    m = re.fullmatch(r'(w?)text(\d+)', word)
    if m:
        return (11 if m.group(1) else 10, int(m.group(2)))
    if word not in TYPES:
        fail('unknown type ' + word)
    return TYPES[word]


def parse_fields(path):
    rows = []
    area = None
    for line in lines_of(path):
        m = re.fullmatch(r'area (\d)', line)
        if m:
            area = int(m.group(1))
            continue
        m = re.fullmatch(r'(\d+) (\S+): (\w+) at (\d+)', line)
        if m:
            code, size = type_of(m.group(3))
            rows.append(dict(id=int(m.group(1)), name=m.group(2), code=code, size=size, area=area,
                             offset=int(m.group(4))))
            continue
        m = re.fullmatch(r'(\w+) x(\d+) at (\d+)-(\d+) = ids (\d+)-(\d+): (.*)', line)
        if m:
            code, size = type_of(m.group(1))
            n, first, last = int(m.group(2)), int(m.group(3)), int(m.group(4))
            a, b = int(m.group(5)), int(m.group(6))
            names = [x.strip() for x in m.group(7).split(',')]
            if not (len(names) == n == b - a + 1 and first + n * size - 1 == last):
                fail('inconsistent run: ' + line)
            for i in range(n):
                rows.append(dict(id=a + i, name=names[i], code=code, size=size, area=area,
                                 offset=first + i * size))
            continue
        m = re.fullmatch(r'(\w+) at (\d+), bits (\d+)-(\d+) = ids (\d+)-(\d+): (.*)', line)
        if m:
            _, size = type_of(m.group(1))
            b0, b1, a, b = (int(m.group(i)) for i in range(3, 7))
            names = [x.strip() for x in m.group(7).split(',')]
            if not (len(names) == b1 - b0 + 1 == b - a + 1 and b1 < size * 8):
                fail('inconsistent bit run: ' + line)
            for i in range(b - a + 1):
                rows.append(dict(id=a + i, name=names[i], code=16 + b0 + i, size=size, area=area,
                                 offset=int(m.group(2))))
            continue
        m = re.fullmatch(r'(\w+) at (\d+), bit (\d+) = id (\d+): (\S+)', line)
        if m:
            _, size = type_of(m.group(1))
            rows.append(dict(id=int(m.group(4)), name=m.group(5), code=16 + int(m.group(3)), size=size,
                             area=area, offset=int(m.group(2))))
            continue
        fail('bad field line: ' + line)
    rows.sort(key=lambda r: r['id'])
    if len(rows) != FIELD_COUNT:
        fail('expected %d fields, found %d' % (FIELD_COUNT, len(rows)))
    for r in rows:
        r.update(item=0, store=0, section=None, key=None, handling=0, marks=0, map1=None, map2=None)
    return rows


def stem(name):
    for prefix in ('kdm', 'wdm', 'dm'):
        if name.startswith(prefix):
            return name[len(prefix):]
    return name


def upper_name(name):
    """KDM... or WDM... followed by the field name without its prefix, upper-cased."""
    return ('WDM' if name.startswith('wdm') else 'KDM') + stem(name).upper()


def control_name(name):
    return 'KPD_IDC_' + ('WORK_' if name.startswith('wdm') else '') + stem(name).upper()


def own_name(r):
    n = r['name']
    return None if n == '-' or n.startswith('KPD_') else n


def parse_storage(path, byid):
    for line in lines_of(path):
        m = re.fullmatch(r'(\d+) ([12]) (?:\[(\w+)\] )?(\S+)', line)
        if not m:
            fail('bad storage line: ' + line)
        r = byid[int(m.group(1))]
        r['store'], r['section'], r['key'] = int(m.group(2)), m.group(3), m.group(4)


def parse_attributes(path, byid):
    for line in lines_of(path):
        word, rest = line.split(' ', 1)
        if word == 'handling':
            i, code = rest.split()
            byid[int(i)]['handling'] = int(code)
        elif re.fullmatch(r'mark[1-3]', word):
            n = int(word[4])
            for i in ranges(rest):
                byid[i]['marks'] |= 1 << (2 * n)
        else:
            fail('bad attribute line: ' + line)


def parse_pairs(text):
    pairs = []
    for tok in text.split():
        code, vid = tok.split('=')
        pairs.append((int(code), NOT_OFFERED if vid == '-' else int(vid)))
    return pairs


def parse_maps(path, byid):
    """Fills the fields' maps; answers the value ids the templates compute, {id: (template,
    code)}, the fixed string ids and the meetings allowed between them, for check_value_ids."""
    templates = {}
    generic, second = [], set()
    computed, strings, allowed = {}, set(), {}
    for line in lines_of(path):
        word, rest = line.split(' ', 1)
        if word == 'template':
            name, base, codes = re.fullmatch(r'(\w+) (\d+): (.*)', rest).groups()
            templates[name] = dict(base=int(base), codes=ranges(codes), offer=set(), set={})
        elif word == 'strings':
            strings |= set(ranges(rest))
        elif word in ('offer', 'set', 'use', 'allow'):
            name, body = re.fullmatch(r'(\w+): (.*)', rest).groups()
            t = templates[name]
            if word == 'allow':
                allowed.setdefault(name, set()).update(ranges(body))
            elif word == 'offer':
                t['offer'] |= set(ranges(body))
            elif word == 'set':
                t['set'].update(dict(parse_pairs(body)))
            else:
                pairs = []
                for pos, code in enumerate(t['codes']):
                    if code in t['offer']:
                        if code not in t['set']:
                            computed.setdefault(t['base'] + pos, set()).add((name, code))
                        pairs.append((code, t['set'].get(code, t['base'] + pos)))
                    else:
                        pairs.append((code, NOT_OFFERED))
                for i in ranges(body):
                    byid[i]['map1'] = list(pairs)
        elif word in ('map', 'map2'):
            i, body = re.fullmatch(r'(\d+): (.*)', rest).groups()
            byid[int(i)]['map1' if word == 'map' else 'map2'] = parse_pairs(body)
        elif word == 'generic':
            generic = ranges(rest)
        elif word == 'second':
            second = set(ranges(rest))
        else:
            fail('bad map line: ' + line)
    # The generic rule: the pairs and offered values left over by the maps above are spread
    # evenly over the generic maps (a field with a second map weighs two); fields in id
    # order with one map take the remainders.
    fixed = [r for r in byid.values() if r['map1'] is not None]
    used = sum(len(r['map1']) + len(r['map2'] or []) for r in fixed)
    offered = sum(sum(1 for _, v in (r['map1'] + (r['map2'] or [])) if v != NOT_OFFERED) for r in fixed)
    weights = [(i, 2 if i in second else 1) for i in generic]
    total_w = sum(w for _, w in weights)
    left, left_offered = MAP_PAIR_COUNT - used, MAP_OFFERED_COUNT - offered
    n_base, n_rem = divmod(left, total_w)
    k_base, k_rem = divmod(left_offered, total_w)
    for j, (i, w) in enumerate(weights):
        n, k = n_base, k_base
        if w == 1 and n_rem:
            n, n_rem = n + 1, n_rem - 1
        if w == 1 and k_rem:
            k, k_rem = k + 1, k_rem - 1
        if n > 32 or k > n:
            fail('generic map too large')
        base = GENERIC_VALUE_BASE + 64 * j
        byid[i]['map1'] = [(c, base + c if c < k else NOT_OFFERED) for c in range(n)]
        if w == 2:
            byid[i]['map2'] = [(c, base + 32 + c if c < k else NOT_OFFERED) for c in range(n)]
    if n_rem or k_rem:
        fail('generic rule could not place every pair')
    return computed, strings, allowed


def check_value_ids(value_ids, pages, messages):
    """A value id is also the id of the value's display string: one that a template computes
    may not be a string the driver names by number (the 'strings' of maps.def, the messages'
    texts, the pages' names), and two templates give one id only to one code."""
    computed, strings, allowed = value_ids
    fixed = strings | {text for _, _, text in messages} | {p['id'] for p in pages}
    for vid in sorted(computed):
        users = sorted(computed[vid])
        codes = {code for _, code in users}
        if len(codes) > 1:
            fail('value id %d is computed for the codes %s' % (vid, sorted(codes)))
        if vid in fixed and not all(vid in allowed.get(name, ()) for name, _ in users):
            fail('value id %d of template %s (code %d) is a fixed string id' % (vid, users[0][0], users[0][1]))
    for name, ids in sorted(allowed.items()):
        stale = sorted(i for i in ids if i not in fixed or all(n != name for n, _ in computed.get(i, ())))
        if stale:
            fail('template %s is allowed ids %s that meet no fixed string' % (name, stale))


def build_control_names(rows, byid, data_dir, pages, messages):
    fixed, features, aliases, buttons = {}, [], {}, []
    for line in lines_of(data_dir + '/control_names.def'):
        parts = line.split()
        if parts[0] == 'feature':
            features.append((int(parts[1]), parts[2]))
        elif parts[0] == 'alias':
            aliases[int(parts[1])] = parts[2]
        elif parts[0] == 'button':
            buttons.append(parts[1])
        else:
            fixed[int(parts[0])] = (int(parts[1]), parts[2])
    table = []

    def add(fid, name):
        table.append((fid, len(table) + 1, name))

    for i in range(704, 723):
        add(i, byid[i]['name'])
    for r in rows:
        if 723 <= r['id'] <= 914 and r['name'].startswith('KPD_'):
            add(r['id'], r['name'])
    for fid, name in features:
        add(fid, name)
    for r in rows:
        if len(table) == FIRST_MESSAGE_ORDINAL - 1:
            break
        if r['area'] == 2:
            add(r['id'], aliases.get(r['id'], 'KPD_' + stem(r['name'])))
    if len(table) != FIRST_MESSAGE_ORDINAL - 1:
        fail('feature rows do not fill their range')
    for mid, name, _ in messages:
        if mid != len(table) + 1:
            fail('message %d out of place' % mid)
        add(0, name)
    for p in pages:
        add(0, p['symbol'])
    if len(table) != FIRST_CONTROL_ORDINAL - 1:
        fail('page rows out of place')
    for o in sorted(fixed):
        if o != len(table) + 1:
            fail('fixed control row %d out of place' % o)
        add(*fixed[o])
    # Controls that edit a field: the named work fields first, then the fields that carry
    # a value map or a mark, in id order, until 680 fields have an item id.
    have = {fid for fid, _, _ in table if fid}
    for r in rows:
        if 1544 <= r['id'] <= 1555:
            add(r['id'], r['name'])
            have.add(r['id'])
    for r in rows:
        if len(have) == FIELDS_WITH_ITEM_ID:
            break
        if r['id'] in have or (r['map1'] is None and not r['marks']):
            continue
        add(r['id'], control_name(r['name']))
        have.add(r['id'])
    if len(have) != FIELDS_WITH_ITEM_ID:
        fail('only %d fields got an item id' % len(have))
    # The other controls of the pages: each page but the first gets rows in proportion to
    # its control count, the earlier pages taking the remainder.
    rest = CONTROL_NAME_COUNT - len(buttons) - len(table)
    others = pages[1:]
    total = sum(p['controls'] for p in others)
    shares = [p['controls'] * rest // total for p in others]
    for i in range(rest - sum(shares)):
        shares[i] += 1
    for p, k in zip(others, shares):
        page_stem = p['symbol'][len('KPD_'):]
        if page_stem.startswith('IDD_'):
            page_stem = page_stem[4:]
        for n in range(1, k + 1):
            add(0, 'KPD_IDC_%s_%02d' % (page_stem, n))
    for b in buttons:
        add(0, b)
    if len(table) != CONTROL_NAME_COUNT:
        fail('control-name table has %d rows' % len(table))
    names = [n for _, _, n in table]
    if len(set(names)) != len(names):
        dup = sorted({n for n in names if names.count(n) > 1})
        fail('duplicate control names: %s' % dup[:5])
    for fid, ordinal, _ in table:
        if fid and byid[fid]['item'] == 0:
            byid[fid]['item'] = ordinal
    return table


def value_symbol(r, code, landscape):
    text = str(code) if code >= 0 else 'M%d' % -code
    return '%s_%s%s' % (upper_name(r['name']), text, 'L' if landscape else '')


def build_value_tables(rows, pages, messages):
    values = []
    for r in rows:
        if r['map1'] is None:
            continue
        first = dict(r['map1'])
        for code, vid in r['map1']:
            if vid != NOT_OFFERED:
                values.append((r, vid, value_symbol(r, code, False)))
        for code, vid in r['map2'] or []:
            if vid != NOT_OFFERED and first.get(code) != vid:
                values.append((r, vid, value_symbol(r, code, True)))
    for r in rows:
        if r['item'] and r['map1'] is None and r['code'] >= 16:
            values.append((r, 0, upper_name(r['name']) + '_OFF'))
            values.append((r, 1, upper_name(r['name']) + '_ON'))
    numeric = [r for r in rows if r['item'] and r['map1'] is None and r['code'] <= 6 and own_name(r)]
    n = 0
    while len(values) < VALUE_NAME_COUNT:
        r = numeric[n % len(numeric)]
        v = n // len(numeric)
        values.append((r, v, '%s_%d' % (upper_name(r['name']), v)))
        n += 1
    if len(values) != VALUE_NAME_COUNT:
        fail('value-name table has %d rows' % len(values))
    value_rows = [(r['id'], r['item'], vid, 0, sym, VALUE_STRING_BASE + i)
                  for i, (r, vid, sym) in enumerate(values)]
    ids = []
    for i, (r, vid, sym) in enumerate(values):
        ids.append((r['id'], r['item'], vid, 1, 'IDS_' + sym, VALUE_STRING_BASE + i))
    for mid, name, text in messages:
        ids.append((0, mid, text, 0, 'IDS_' + name[len('KPD_'):].upper(), text))
    for pos, p in enumerate(pages):
        ids.append((0, FIRST_PAGE_ORDINAL + pos, p['id'], 0, 'IDS_' + p['symbol'][len('KPD_'):], p['id']))
    for r in rows:
        if len(ids) == IDS_COUNT:
            break
        if r['item'] and own_name(r):
            ids.append((r['id'], r['item'], 0, 2, 'IDS_' + upper_name(r['name']), FIELD_STRING_BASE + r['id']))
    if len(ids) != IDS_COUNT:
        fail('IDS table has %d rows' % len(ids))
    syms = [x[4] for x in value_rows] + [x[4] for x in ids]
    if len(set(syms)) != len(syms):
        fail('duplicate value symbols')
    return value_rows, ids


# Control kinds of the kind table; a row naming another kind fails the build.
CONTROL_KINDS = {1, 2, 3, 4, 5, 6, 21, 24, 22, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 61, 62, 63, 23, 64, 65,
                 81, 82, 83, 84, 85, 101, 102, 104, 105}
CONTROL_ROW_COUNT = 1397
LOCK_MESSAGE = 10204
LOCK_FIELDS = range(10419, 10426)
# Totals of the rows that the generator holds the data to (see README.md for the rest).
CONTROL_TOTALS = {'linked': 164, 'lockable': 21, 'information': 15, 'user units': 39, 'extra data': 33}
KIND_TOTALS = {1: 361, 2: 125, 4: 39, 21: 308, 22: 141, 23: 23, 41: 94, 42: 6, 43: 6, 47: 27, 48: 101, 49: 1,
               50: 2, 61: 91, 63: 49, 81: 3, 82: 4, 84: 14, 105: 2}
# Typed extra data: the kinds each type may stand on.
EXTRA_KINDS = {'1': {2}, '3': {84}, '4': {48}, '5': {21}, '8': {2}, 'fields': {49}, 'summary': {61}}
# The summary edits whose type-4 block is the settings summary module's list, in the order of
# that module's lists.
SUMMARY_EDITS = (2148, 2248, 3086, 3164)


def parse_extra(text, line):
    kind, _, body = text.partition(':')
    if kind not in EXTRA_KINDS:
        fail('unknown extra data type: ' + line)
    if kind == 'summary':
        if body:
            fail('a summary list takes no words: ' + line)
        return (kind, [])
    if kind == '5':
        step, _, ids = body.partition(':')
        return (kind, int(step), [int(x) for x in ids.split(',')])
    return (kind, [int(x) for x in body.split(',')])


def parse_page_controls(path, pages):
    """Rows per page: dicts of item, control, kind, help, tip, info, linked, after, lock message,
    lock field, flags and extra data."""
    rows, page = {}, None
    known = {p['id'] for p in pages}
    for line in lines_of(path):
        line = line.split('#', 1)[0].strip()
        parts = line.split()
        if parts[0] == 'page':
            page = int(parts[1])
            if page not in known:
                fail('controls for unknown page %d' % page)
            if page in rows:
                fail('page %d has two runs of rows' % page)
            rows[page] = []
            continue
        if page is None or len(parts) < 8:
            fail('bad control line: ' + line)
        nums = [0 if x == '-' else int(x) for x in parts[:8]]
        row = dict(zip(('item', 'control', 'kind', 'help', 'tip', 'info', 'linked', 'after'), nums))
        row.update(lmsg=0, lfield=0, flags=0, extra=None)
        rest = parts[8:]
        while rest:
            word = rest.pop(0)
            if word == 'lock' and len(rest) >= 2:
                row['lmsg'], row['lfield'] = int(rest.pop(0)), int(rest.pop(0))
            elif word == 'flags' and rest:
                row['flags'] = int(rest.pop(0), 16)
            elif word == 'extra' and rest:
                row['extra'] = parse_extra(rest.pop(0), line)
            else:
                fail('bad control line: ' + line)
        rows[page].append(row)
    return rows


def check_page_controls(pages, controls, table, byid):
    """The rules every control row keeps; the build fails on the first row that breaks one."""
    item_field = {o: fid for fid, o, _ in table}
    totals = dict.fromkeys(CONTROL_TOTALS, 0)
    kinds = {}
    for p in pages:
        ctl = controls.get(p['id'])
        if ctl is None:
            fail('page %d has no control rows' % p['id'])
        if len(ctl) != p['controls']:
            fail('page %d has %d control rows, its table row says %d' % (p['id'], len(ctl), p['controls']))
        ids = [c['control'] for c in ctl]
        dup = sorted({i for i in ids if ids.count(i) > 1})
        if dup:
            fail('page %d repeats control ids %s' % (p['id'], dup))
        items = {c['item'] for c in ctl}
        for c in ctl:
            where = 'page %d control %d' % (p['id'], c['control'])
            if not 1 <= c['control'] <= 5005:
                fail(where + ': control id outside 1-5005')
            if c['kind'] not in CONTROL_KINDS:
                fail(where + ': kind %d is not in the kind table' % c['kind'])
            if not FIRST_CONTROL_ORDINAL <= c['item'] <= CONTROL_NAME_COUNT:
                fail(where + ': item id %d outside the control rows' % c['item'])
            if c['linked']:
                if c['kind'] in (23, 81) and c['linked'] not in ids:
                    fail(where + ': spin bar without its buddy edit %d' % c['linked'])
                if c['kind'] == 50:
                    # the preset icon list draws the preview named by its link, found on any page
                    if not any(c['linked'] == o['control'] for q in controls.values() for o in q):
                        fail(where + ': linked preview %d is on no page' % c['linked'])
                elif c['linked'] not in ids and c['linked'] not in items:
                    fail(where + ': linked id %d names nothing on the page' % c['linked'])
                totals['linked'] += 1
            if c['lmsg'] or c['lfield']:
                if c['lmsg'] != LOCK_MESSAGE or c['lfield'] not in LOCK_FIELDS:
                    fail(where + ': bad lock row')
                totals['lockable'] += 1
            if c['info']:
                totals['information'] += 1
            if c['flags'] & ~0x80000000:
                fail(where + ': only the user-unit flag is set in the table')
            if c['flags']:
                totals['user units'] += 1
            x = c['extra']
            if x:
                totals['extra data'] += 1
                if c['kind'] not in EXTRA_KINDS[x[0]]:
                    fail(where + ': extra data of type %s on kind %d' % (x[0], c['kind']))
                words = x[-1]
                if x[0] == 'summary' and c['control'] not in SUMMARY_EDITS:
                    fail(where + ': only the summary edits have a summary list')
                if x[0] == 'fields' and any(w not in byid for w in words):
                    fail(where + ': the check list names an unknown field')
                if x[0] == '5' and any(w not in ids for w in words):
                    fail(where + ': the button steps a control the page lacks')
                if x[0] == '1' and (len(words) != 8 or any(w and w not in ids for w in words)):
                    fail(where + ': the sample picture names a control the page lacks')
                if x[0] == '8' and len(words) != 14:
                    fail(where + ': the preview needs 14 item ids')
                if x[0] == '3' and len(words) != 3:
                    fail(where + ': slider steps need line step, page step, picture')
            kinds[c['kind']] = kinds.get(c['kind'], 0) + 1
    if sum(len(c) for c in controls.values()) != CONTROL_ROW_COUNT:
        fail('expected %d control rows' % CONTROL_ROW_COUNT)
    for k, v in CONTROL_TOTALS.items():
        if totals[k] != v:
            fail('%d %s rows, expected %d' % (totals[k], k, v))
    if kinds != KIND_TOTALS:
        fail('kind counts %s differ from %s' % (sorted(kinds.items()), sorted(KIND_TOTALS.items())))
    return sum(1 for ctl in controls.values() for c in ctl if item_field.get(c['item']))


def cw(s):
    return 'nullptr' if s is None else 'u"%s"' % s


def emit(path, rows, table, value_rows, ids, messages, pages, controls, ui_tables):
    out = ['// Generated by src/common/data/gen_dictionary.py from the data files beside it.',
           '// Do not edit: change the data files or the generator.',
           '#include "fields/dictionary_lookup.h"', '#include "base/dictionary_pages.h"',
           '#include "fields/field_table.h"', '#include "model/ui_tables.h"', '#include "modules/summary_lists.h"', '',
           'namespace {', '']
    for r in rows:
        if r['map1'] is None:
            continue
        pairs = r['map1'] + [(0, 0)] + ((r['map2'] + [(0, 0)]) if r['map2'] else [])
        body = ', '.join('{%du, %du}' % (c & 0xFFFFFFFF, v) for c, v in pairs)
        out.append('const ValueMapEntry kMap%d[] = {%s};' % (r['id'], body))
    out += ['', 'const SettingFieldDef kFields[%d] = {' % len(rows)]
    for r in rows:
        t = (r['size'] & 0xFFFF) | (r['code'] << 24) | (r['area'] << 30)
        out.append('    {%d, %d, 0x%08Xu, %d, %d, %s, %s, %s, %d, 0x%X, %s},' % (
            r['id'], r['item'], t, r['offset'], r['store'], cw(r['section']), cw(r['key']),
            'kMap%d' % r['id'] if r['map1'] is not None else 'nullptr', r['handling'], r['marks'],
            cw(own_name(r))))
    out += ['};', '', 'const ControlNameEntry kControlNames[%d] = {' % len(table)]
    out += ['    {%d, %d, "%s"},' % t for t in table]
    out += ['};', '']
    for var, rows_ in (('kValueNames', value_rows), ('kIds', ids)):
        out.append('const ValueNameEntry %s[%d] = {' % (var, len(rows_)))
        out += ['    {%d, %d, %du, %du, "%s", %du},' % x for x in rows_]
        out += ['};', '']
    out.append('const MessageEntry kMessages[%d] = {' % len(messages))
    out += ['    {%d, %d, 0, "%s", 0},' % (m, t, n) for m, n, t in messages]
    out += ['};', '']
    out += ['// Typed extra data of the control rows (layouts in src/common/data/README.md).',
            'struct ComboExtra { WORD type; WORD reserved; DWORD showRefused; DWORD picture; };',
            'struct HoldStep { WORD controlId; WORD reserved; DWORD reserved2; SHORT step; WORD reserved3; };',
            'struct HoldExtra { WORD type; WORD count; const HoldStep* rows; };', '']
    for pid, ctl in sorted(controls.items()):
        for n, c in enumerate(ctl):
            x = c['extra']
            if not x:
                continue
            name = 'kExtra%d_%d' % (pid, n)
            if x[0] == 'summary':
                c['extra_name'] = '&g_summaryEditLists[%d]' % SUMMARY_EDITS.index(c['control'])
                continue
            if x[0] == '4':
                out.append('const ComboExtra %s = {4, 0, %du, %du};' % (name, x[1][0], x[1][1]))
            elif x[0] == '5':
                out.append('const HoldStep %sRows[%d] = {%s};' % (name, len(x[2]), ', '.join(
                    '{%d, 0, 0, %d, 0}' % (i, x[1]) for i in x[2])))
                out.append('const HoldExtra %s = {5, %d, %sRows};' % (name, len(x[2]), name))
            else:
                # A field-id array ends with id 0, so its reader knows where it stops.
                words = x[1] + [0] if x[0] == 'fields' else [int(x[0])] + x[1]
                out.append('const WORD %s[%d] = {%s};' % (name, len(words), ', '.join(map(str, words))))
            c['extra_name'] = ('&' if x[0] in ('4', '5') else '') + name
    for pid, ctl in sorted(controls.items()):
        out.append('ControlRecord kControls%d[%d] = {' % (pid, len(ctl)))
        for c in ctl:
            out.append('    {%d, %d, %d, 0, %d, %d, %d, %d, 0, %d, nullptr, nullptr, nullptr, %s, 0x%Xu, 0, '
                       'nullptr, 0, %d, %d},' % (c['item'], c['control'], c['kind'], c['help'], c['tip'], c['info'],
                                                c['linked'], c['after'], c.get('extra_name', 'nullptr'), c['flags'],
                                                c['lmsg'], c['lfield']))
        out.append('};')
    out.append('PageRecord kPages[%d] = {' % len(pages))
    for pos, p in enumerate(pages):
        ctl = controls.get(p['id'])
        out.append('    {%d, %d, 0x%X, "%s", %d, %s, 0, %d, nullptr, 0},' % (
            p['id'], FIRST_PAGE_ORDINAL + pos, p['flags'], p['symbol'], p['help'],
            'kControls%d' % p['id'] if ctl else 'nullptr', len(ctl) if ctl else 0))
    out += ['};', '',
            'const PageTable kPageTable = {%d, kPages};' % len(pages),
            'const ControlNameTable kControlNameTable = {%d, kControlNames};' % len(table),
            'const ValueNameTable kValueNameTable = {%d, kValueNames};' % len(value_rows),
            'const ValueNameTable kIdsTable = {%d, kIds};' % len(ids),
            'const MessageTable kMessageTable = {%d, kMessages};' % len(messages), '']
    out += ui_tables[0]
    out += ['}  // namespace', '',
            'const SettingFieldDef* GetBuiltInFields() { return kFields; }',
            'const ControlNameTable* GetControlNameTable() { return &kControlNameTable; }',
            'const ValueNameTable* GetValueNameTable() { return &kValueNameTable; }',
            'const ValueNameTable* GetIdsTable() { return &kIdsTable; }',
            'const MessageTable* GetMessageTable() { return &kMessageTable; }',
            'const PageTable* GetBuiltInPageTable() { return &kPageTable; }'] + ui_tables[1] + ['']
    text = '\n'.join(out)
    with open(path, 'w', encoding='ascii') as f:
        f.write(text)


CXX_KEYWORDS = set('''alignas alignof and and_eq asm auto bitand bitor bool break case catch char
char8_t char16_t char32_t class compl concept const consteval constexpr constinit const_cast
continue co_await co_return co_yield decltype default delete do double dynamic_cast else enum
explicit export extern false float for friend goto if inline int long mutable namespace new
noexcept not not_eq nullptr operator or or_eq private protected public register
reinterpret_cast requires return short signed sizeof static static_assert static_cast struct
switch template this thread_local throw true try typedef typeid typename union unsigned using
virtual void volatile wchar_t while xor xor_eq'''.split())


def id_name(name):
    """The field's name when it can stand as a C++ identifier of its own, else None."""
    if name == '-' or not re.fullmatch(r'[A-Za-z_][A-Za-z0-9_]*', name):
        return None
    if name in CXX_KEYWORDS or '__' in name or re.match(r'_[A-Z]', name):
        return None
    return name


def emit_ids(path, rows):
    """Writes field_ids.h; returns (names written, named fields skipped)."""
    named = [r for r in rows if r['name'] != '-']
    kept = [r for r in named if id_name(r['name'])]
    out = ['// Generated by src/common/data/gen_dictionary.py from fields.def.',
           '// Do not edit: change the data file or the generator.',
           '// The id of every settings field that has a name, under that name; fields without',
           '// a name (a dash in fields.def) have no constant here.',
           '#pragma once', '', '#include "win/types.h"', '', 'namespace fid {', '']
    out += ['constexpr WORD %s = %d;' % (r['name'], r['id']) for r in kept]
    out += ['', '}  // namespace fid', '']
    text = '\n'.join(out)
    try:
        with open(path, encoding='ascii') as f:
            same = f.read() == text
    except OSError:
        same = False
    if not same:
        with open(path, 'w', encoding='ascii') as f:
            f.write(text)
    return len(kept), len(named) - len(kept)


def check_layout(rows):
    for area, size in AREA_SIZES.items():
        ends = [r['offset'] + r['size'] for r in rows if r['area'] == area]
        if max(ends) != size:
            fail('area %d ends at %d' % (area, max(ends)))


def main():
    args = [a for a in sys.argv[1:] if not a.startswith('--')]
    if len(args) not in (2, 3):
        fail('usage: gen_dictionary.py DATA_DIR OUTPUT_CPP [OUTPUT_IDS_H] [--summary]')
    data_dir, output = args[0], args[1]
    rows = parse_fields(data_dir + '/fields.def')
    byid = {r['id']: r for r in rows}
    check_layout(rows)
    parse_storage(data_dir + '/storage.def', byid)
    parse_attributes(data_dir + '/attributes.def', byid)
    value_ids = parse_maps(data_dir + '/maps.def', byid)
    if sum(1 for r in rows if r['map1'] is not None) != MAP_FIELD_COUNT:
        fail('expected %d value maps' % MAP_FIELD_COUNT)
    pages = []
    for line in lines_of(data_dir + '/pages.def'):
        pid, sym, flags, helpid, ctl = line.split()
        pages.append(dict(id=int(pid), symbol=sym, flags=int(flags, 16), help=int(helpid), controls=int(ctl)))
    messages = []
    for line in lines_of(data_dir + '/messages.def'):
        mid, name, text = line.split()
        messages.append((int(mid), name, int(text)))
    if len(messages) != MESSAGE_COUNT:
        fail('expected %d messages' % MESSAGE_COUNT)
    check_value_ids(value_ids, pages, messages)
    table = build_control_names(rows, byid, data_dir, pages, messages)
    value_rows, ids = build_value_tables(rows, pages, messages)
    if len(pages) != PAGE_COUNT:
        fail('expected %d pages' % PAGE_COUNT)
    controls = parse_page_controls(data_dir + '/page_controls.def', pages)
    bound_rows = check_page_controls(pages, controls, table, {r['id']: r for r in rows})
    ui_tables = gen_ui_tables.build(data_dir, rows, pages, controls, table)
    emit(output, rows, table, value_rows, ids, messages, pages, controls, ui_tables)
    id_counts = emit_ids(args[2], rows) if len(args) == 3 else None
    if '--summary' in sys.argv:
        pairs = sum(len(r['map1']) + len(r['map2'] or []) for r in rows if r['map1'])
        print('fields', len(rows), 'item ids', sum(1 for r in rows if r['item']), 'pairs', pairs,
              'control names', len(table), 'value names', len(value_rows), 'ids', len(ids))
        print('control rows', sum(len(c) for c in controls.values()), 'with a field', bound_rows,
              'with a help id', sum(1 for c in controls.values() for r in c if r['help']),
              'with extra data', sum(1 for c in controls.values() for r in c if r['extra']))
        print('picture rows', ui_tables[2][0], 'control size rows', ui_tables[2][1])
        if id_counts:
            print('field id names', id_counts[0], 'named fields skipped', id_counts[1])


if __name__ == '__main__':
    main()
