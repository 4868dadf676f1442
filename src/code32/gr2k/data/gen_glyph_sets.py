#!/usr/bin/env python3
"""Writes the three glyph-set resources (type 260) of Rendara as C++ byte arrays.

Usage: gen_glyph_sets.py OUT.cpp

Each resource is a list of runs of consecutive UTF-16 values with one printer code (glyph
handle) per value, little-endian:
  u32 total size, u32 0 (accelerator flags), u32 glyph count, u32 run count,
  run count x {u16 first UTF-16 value, u16 glyph count, u32 0 (the loader's handle slot)},
  glyph count x u32 handle, run after run.
The rules that derive each set from its code page are in README.md beside this file.
"""
import sys
import unicodedata


def runs_of(mapping):
    runs = []
    for u in sorted(mapping):
        if runs and runs[-1][0] + runs[-1][1] == u:
            runs[-1][1] += 1
        else:
            runs.append([u, 1])
    return runs


def japanese_set():
    """Code page 932: UTF-16 to Shift-JIS."""
    codes = {}
    for b in list(range(0x20, 0x7F)) + list(range(0xA1, 0xE0)):
        codes.setdefault(bytes([b]).decode('cp932'), []).append(b)
    leads = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
    trails = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))
    for lead in leads:
        if 0xF0 <= lead <= 0xF9:  # the user-defined area maps to private use
            continue
        for trail in trails:
            try:
                ch = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            codes.setdefault(ch, []).append(lead << 8 | trail)
    mapping = {}
    for ch, found in codes.items():
        u = ord(ch)
        if u < 0x20 or 0xE000 <= u <= 0xF8FF or u == 0x7F:
            continue
        extension = [c for c in found if c >= 0xFA40]
        mapping[u] = min(extension) if extension else min(found)
    return mapping


def fold_to(u, encodable):
    """The base letter of a decomposable character, when the code page has it."""
    decomposed = unicodedata.normalize('NFKD', chr(u))
    if decomposed and decomposed != chr(u):
        base = ord(decomposed[0])
        if base in encodable:
            return encodable[base]
    return None


LOOK_ALIKES = {
    0x2010: 0x2D, 0x2011: 0x2D, 0x2012: 0x2D, 0x2013: 0x2D, 0x2014: 0x2D, 0x2015: 0x2D,
    0x2018: 0x27, 0x2019: 0x27, 0x201A: 0x2C, 0x201C: 0x22, 0x201D: 0x22, 0x2032: 0x27,
    0x2033: 0x22, 0x2039: 0x3C, 0x203A: 0x3E, 0x2212: 0x2D, 0x2215: 0x2F, 0x2216: 0x5C,
    0x2219: 0xB7, 0x2022: 0xB7, 0x3000: 0x20, 0x30FB: 0xB7, 0xFF5E: 0x7E,
}


def latin_set():
    """The 8-bit Latin set: the code points that are their own code, Latin letters folded
    to their base letter, full-width forms and punctuation to look-alikes."""
    own = list(range(0x00, 0x82)) + list(range(0x8D, 0x91)) + [0x9D, 0x9E] + list(range(0xA0, 0xFF))
    mapping = {u: u for u in own}
    ascii_letters = {u: u for u in range(0x20, 0x7F)}
    for u in range(0x100, 0x250):
        code = fold_to(u, ascii_letters)
        if code is not None:
            mapping[u] = code
    for u in range(0xFF01, 0xFF5F):  # full-width ASCII
        mapping[u] = u - 0xFF01 + 0x21
    for u, code in LOOK_ALIKES.items():
        mapping.setdefault(u, code)
    return mapping


def cp850_set():
    """Code page 850, with Latin letters it lacks folded to their base letter and the
    punctuation look-alikes it has."""
    mapping = {}
    for b in range(0x20, 0x100):
        mapping[ord(bytes([b]).decode('cp850'))] = b
    encodable = dict(mapping)
    for u in range(0xA0, 0x250):
        if u not in mapping:
            code = fold_to(u, encodable)
            if code is not None:
                mapping[u] = code
    for u in range(0xFF01, 0xFF5F):
        mapping[u] = u - 0xFF01 + 0x21
    for u, code in LOOK_ALIKES.items():
        if code < 0x80 or code in encodable.values():
            mapping.setdefault(u, code if code < 0x80 else encodable.get(0xB7, code))
    return mapping


def resource(mapping):
    runs = runs_of(mapping)
    count = len(mapping)
    size = 16 + 8 * len(runs) + 4 * count
    out = bytearray()
    out += size.to_bytes(4, 'little') + (0).to_bytes(4, 'little')
    out += count.to_bytes(4, 'little') + len(runs).to_bytes(4, 'little')
    for first, n in runs:
        if n > 0xFFFF:
            sys.exit('a run longer than 65535 glyphs')
        out += first.to_bytes(2, 'little') + n.to_bytes(2, 'little') + (0).to_bytes(4, 'little')
    for first, n in runs:
        for u in range(first, first + n):
            out += mapping[u].to_bytes(4, 'little')
    assert len(out) == size
    return bytes(out), count, len(runs)


def check(mapping, u, code, name):
    if mapping.get(u) != code:
        sys.exit('%s: U+%04X gives %s, not 0x%X' % (name, u, hex(mapping.get(u, 0)), code))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    japanese, latin, cp850 = japanese_set(), latin_set(), cp850_set()
    for u, c in ((0x41, 0x41), (0xFF61, 0xA1), (0xFF9F, 0xDF), (0xA7, 0x8198), (0xFF01, 0x8149), (0x2170, 0xFA40),
                 (0x3042, 0x82A0)):
        check(japanese, u, c, 'code page 932')
    for u, c in ((0x41, 0x41), (0x81, 0x81), (0x8D, 0x8D), (0xFE, 0xFE), (0x100, 0x41), (0x101, 0x61),
                 (0x3000, 0x20), (0x30FB, 0xB7)):
        check(latin, u, c, 'Latin')
    for u in (0x82, 0x8C, 0x91, 0x9C, 0x9F, 0xFF):
        if u in latin:
            sys.exit('Latin: U+%04X must not be mapped' % u)
    check(cp850, 0xA1, 0xAD, 'code page 850')

    lines = ['// Generated by gen_glyph_sets.py: the glyph-set resources (type 260). Do not edit.',
             '#include "glyph_set_data.h"', '', 'namespace rendara {', '']
    table = []
    for ident, mapping in ((1, cp850), (2, japanese), (3, latin)):
        data, count, runs = resource(mapping)
        lines.append('// %d glyphs in %d runs.' % (count, runs))
        lines.append('alignas(4) static const unsigned char kGlyphSet%d[%d] = {' % (ident, len(data)))
        for i in range(0, len(data), 24):
            lines.append('  ' + ','.join(str(b) for b in data[i:i + 24]) + ',')
        lines.append('};')
        lines.append('')
        table.append('  {%d, kGlyphSet%d, %d, %d, %d},' % (ident, ident, len(data), count, runs))
    lines.append('const GlyphSetData kGlyphSetData[kGlyphSetResourceCount] = {')
    lines += table
    lines += ['};', '', '}  // namespace rendara', '']
    with open(sys.argv[1], 'w', encoding='ascii') as f:
        f.write('\n'.join(lines))


if __name__ == '__main__':
    main()
