"""The two data tables of the page engine: the picture table (pictures.def) and the control
size table (control_sizes.def). gen_dictionary.py calls this module with the fields, value maps,
pages and control rows it has read; the rows of both files are checked against the rules of
README.md ("Picture table", "Control size table") and written into dictionary_data.cpp.
"""
PICTURE_ROW_COUNT = 1090
CENTRED = 0x50  # the picture's centre at the centre of the control
ACROSS = 0x10  # the picture's centre at the centre of the control's width, its top at the top
PICTURE_FLAG_TOTALS = {CENTRED: 166, ACROSS: 1}
PICTURE_KIND = 2
# A picture control of the page templates is 96 x 24 dialog units: 192 x 48 pixels at the
# fixed dialog base units (8 x 16).
PICTURE_CONTROL_SIZE = (192, 48)
LOCK_PICTURE = 7006
LOCK_MARKER_SIZE = (20, 20)
PORTRAIT_PREVIEWS = [6001, 6004, 6005, 6008, 6009, 6011, 6013, 6016, 6017, 6019, 6021, 6023, 6025, 6027, 6029,
                     6031, 6033, 6037, 6040, 6043, 6046, 7414]
LANDSCAPE_PREVIEWS = [6002, 6003, 6006, 6007, 6010, 6012, 6014, 6015, 6018, 6020, 6022, 6024, 6026, 6028, 6030,
                      6032, 6034, 6035, 6036, 6038, 6039, 6041, 6042, 6044]
PORTRAIT_SIZE = (50, 69)
LANDSCAPE_SIZE = (68, 50)

SIZE_ROW_COUNT = 131
# Item sizes of the owner-drawn controls by kind: (width, height); a width of 0 leaves the
# control's own width. One template line is 12 dialog units (24 pixels); a preset icon cell
# holds a landscape or portrait preview (68 x 69 at most) with 2 pixels around it and the
# name band of a 16-pixel text plus 4 below it.
ITEM_SIZES = {47: (0, 24), 48: (0, 24), 49: (0, 24), 50: (72, 93)}

NOT_OFFERED = 0xFFFF


def _fail(msg):
    raise SystemExit('gen_dictionary: ' + msg)


def _rows_of(path):
    for raw in open(path, encoding='ascii'):
        line = raw.split('#', 1)[0].strip()
        if line:
            yield line


def _num(word):
    return 0 if word == '-' else int(word, 0)


def parse_pictures(path):
    """Rows {picture, overlay, x, y, flags, width, height, background kind, background}."""
    rows = []
    for line in _rows_of(path):
        parts = line.split()
        if len(parts) != 9:
            _fail('bad picture row: ' + line)
        rows.append(dict(zip(('picture', 'overlay', 'x', 'y', 'flags', 'width', 'height', 'bgkind', 'bg'),
                             (_num(p) for p in parts))))
    return rows


def parse_sizes(path):
    rows = []
    for line in _rows_of(path):
        parts = line.split()
        if len(parts) != 3:
            _fail('bad control size row: ' + line)
        rows.append(dict(zip(('control', 'width', 'height'), (_num(p) for p in parts))))
    return rows


def _offered(field):
    out = []
    for m in (field['map1'], field['map2']):
        out += [v for _, v in (m or []) if v != NOT_OFFERED]
    return out


def _shown_field(control, page_rows, item_field):
    """The field a picture control shows: that of the control its link names on the page, or
    of the radio group whose item id it names."""
    link = control['linked']
    if not link:
        return None
    for other in page_rows:
        if other['control'] == link:
            return item_field.get(other['item'])
    return item_field.get(link)


def pictured_fields(pages, controls, item_field, byid):
    """Fields with a value map that a picture control shows, in the order of the first picture
    control of each (page-table order, row order)."""
    out = []
    for p in pages:
        page_rows = controls[p['id']]
        for c in page_rows:
            if c['kind'] != PICTURE_KIND:
                continue
            f = _shown_field(c, page_rows, item_field)
            if f and byid[f]['map1'] is not None and f not in out:
                out.append(f)
    return out


def expected_pictures(fields, pages, controls, item_field):
    """The picture rows the rule gives, as (picture, flags, width, height, what)."""
    byid = {r['id']: r for r in fields}
    shown = pictured_fields(pages, controls, item_field, byid)
    out = []
    for f in shown:
        out += [(v, CENTRED) + PICTURE_CONTROL_SIZE + ('a value of field %d shown by a picture control' % f,)
                for v in _offered(byid[f])]
    out.append((LOCK_PICTURE, ACROSS) + LOCK_MARKER_SIZE + ('the lock picture',))
    out += [(v, 0) + PORTRAIT_SIZE + ('a portrait preview',) for v in PORTRAIT_PREVIEWS]
    out += [(v, 0) + LANDSCAPE_SIZE + ('a landscape preview',) for v in LANDSCAPE_PREVIEWS]
    for r in fields:
        if r['map1'] is None or r['id'] in shown:
            continue
        out += [(v, 0, 0, 0, 'a value of field %d' % r['id']) for v in _offered(r)]
    return out[:PICTURE_ROW_COUNT]


def check_pictures(rows, fields, pages, controls, item_field):
    if len(rows) != PICTURE_ROW_COUNT:
        _fail('%d picture rows, expected %d' % (len(rows), PICTURE_ROW_COUNT))
    for n, r in enumerate(rows, 1):
        where = 'picture row %d (%d)' % (n, r['picture'])
        if not 0 < r['picture'] <= 0xFFFF:
            _fail(where + ': picture id outside 1-65535')
        if r['overlay'] or r['x'] or r['y'] or r['bgkind'] or r['bg']:
            _fail(where + ': the built-in rows set no overlay, offset or background')
        if r['flags'] not in (0, CENTRED, ACROSS):
            _fail(where + ': flags 0x%X; a row adds 0x50, 0x10 or nothing' % r['flags'])
        if not (0 <= r['width'] <= 0x7FFF and 0 <= r['height'] <= 0x7FFF):
            _fail(where + ': size outside 0-32767')
    for flags, total in PICTURE_FLAG_TOTALS.items():
        count = sum(1 for r in rows if r['flags'] == flags)
        if count != total:
            _fail('%d picture rows with flags 0x%X, expected %d' % (count, flags, total))
    expected = expected_pictures(fields, pages, controls, item_field)
    if len(expected) != PICTURE_ROW_COUNT:
        _fail('the picture rules give %d rows, expected %d' % (len(expected), PICTURE_ROW_COUNT))
    for n, (r, e) in enumerate(zip(rows, expected), 1):
        if (r['picture'], r['flags'], r['width'], r['height']) != e[:4]:
            _fail('picture row %d is %d (flags 0x%X, %d x %d); the rule gives %s: %d (flags 0x%X, %d x %d)' % (
                n, r['picture'], r['flags'], r['width'], r['height'], e[4], e[0], e[1], e[2], e[3]))


def check_sizes(rows, pages, controls):
    if len(rows) != SIZE_ROW_COUNT:
        _fail('%d control size rows, expected %d' % (len(rows), SIZE_ROW_COUNT))
    drawn = [(p['id'], c['control'], c['kind']) for p in pages for c in controls[p['id']] if c['kind'] in ITEM_SIZES]
    if len(drawn) != SIZE_ROW_COUNT:
        _fail('%d owner-drawn control rows on the pages, expected %d' % (len(drawn), SIZE_ROW_COUNT))
    for n, (r, (page, control, kind)) in enumerate(zip(rows, drawn), 1):
        where = 'control size row %d (%d)' % (n, r['control'])
        if r['control'] != control:
            _fail(where + ': the owner-drawn control in this place is %d of page %d' % (control, page))
        if (r['width'], r['height']) != ITEM_SIZES[kind]:
            _fail(where + ': size %d x %d, kind %d takes %d x %d' % ((r['width'], r['height'], kind) + ITEM_SIZES[kind]))


def emit(pictures, sizes):
    """C++ lines defining GetPictureTable and GetMeasureItemTable (each ended by a zero row)."""
    out = ['const PictureRow kPictureRows[%d] = {' % (len(pictures) + 1)]
    out += ['    {%d, %d, %d, %d, 0x%Xu, %d, %d, %du, 0x%Xu},' % (
        r['picture'], r['overlay'], r['x'], r['y'], r['flags'], r['width'], r['height'], r['bgkind'], r['bg'])
        for r in pictures]
    out += ['    {0, 0, 0, 0, 0u, 0, 0, 0u, 0u},', '};', '',
            'const MeasureItemRow kMeasureItemRows[%d] = {' % (len(sizes) + 1)]
    out += ['    {%d, %d, %d},' % (r['control'], r['width'], r['height']) for r in sizes]
    out += ['    {0, 0, 0},', '};', '']
    return out


def build(data_dir, fields, pages, controls, table):
    """Reads, checks and returns (C++ lines inside the anonymous namespace, getter lines)."""
    item_field = {o: f for f, o, _ in table}
    pictures = parse_pictures(data_dir + '/pictures.def')
    check_pictures(pictures, fields, pages, controls, item_field)
    sizes = parse_sizes(data_dir + '/control_sizes.def')
    check_sizes(sizes, pages, controls)
    getters = ['const PictureRow* GetPictureTable() { return kPictureRows; }',
               'const MeasureItemRow* GetMeasureItemTable() { return kMeasureItemRows; }']
    return emit(pictures, sizes), getters, (len(pictures), len(sizes))
