#!/usr/bin/env python3
"""Builds Kestrova's binary resources from the text art in res/.

    python3 tools/make_assets.py OUTDIR

reads res/toolbar.txt, res/icon.txt and res/hand_cursor.txt and writes
OUTDIR/toolbar.bmp, OUTDIR/kestrova.ico and OUTDIR/cursor_planes.h.
All three sources are checked before anything is written; a malformed
source stops the build with a message naming the file and line.
"""

import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, 'res')

MASK_COLOUR = (240, 240, 240)  # toolbar pixels the button face shows through
TOOLBAR_SIZE = (112, 16)
ICON_SIZES = (32, 16)
ICON_COLOURS = 16  # 4 bits per pixel
CURSOR_ROWS, CURSOR_COLS = 22, 17
CURSOR_SIZE = 32
CURSOR_HOT = (5, 0)  # column, row

# The program image holds each of these byte strings exactly once, in its
# own data, so no resource may contain another copy. '@' is 64 and '$' is 36,
# which is why toolbar colours may not use those components at all.
FORBIDDEN_BYTES = (b'@@@@@', b'$$$$$', b'032768')
FORBIDDEN_COMPONENTS = (36, 64)


class ArtError(Exception):
    pass


def _read(name):
    path = os.path.join(RES, name)
    try:
        with open(path, encoding='ascii') as f:
            text = f.read()
    except (OSError, UnicodeDecodeError) as e:
        raise ArtError('res/%s: cannot read: %s' % (name, e))
    return [(no, line.rstrip()) for no, line in enumerate(text.splitlines(), 1)]


def _where(name, no):
    return 'res/%s:%d' % (name, no)


def _parse_colour(name, no, text):
    parts = text.split(',')
    try:
        rgb = tuple(int(p) for p in parts)
    except ValueError:
        rgb = ()
    if len(rgb) != 3 or any(not 0 <= c <= 255 for c in rgb):
        raise ArtError('%s: colour must be R,G,B with each value 0..255, got %r'
                       % (_where(name, no), text))
    return rgb


def parse_art(name, allow_transparent):
    """Reads a file made of a palette and pictures.

    palette
    C  R,G,B  description        (or: C  transparent)
    ...
    art WxH  (or: image WxH)
    H rows of W palette characters; single spaces are separators

    Returns (palette, [(width, height, rows)]) where rows hold the colours
    (None for transparent), top row first.
    """
    lines = _read(name)
    palette = {}
    images = []
    in_palette = False
    i = 0
    while i < len(lines):
        no, text = lines[i]
        i += 1
        if not text or text.startswith('#'):
            continue
        words = text.split()
        if words == ['palette']:
            in_palette = True
            continue
        if words[0] in ('art', 'image'):
            in_palette = False
            size = words[1].split('x') if len(words) == 2 else []
            if len(size) != 2 or not all(s.isdigit() and int(s) > 0 for s in size):
                raise ArtError('%s: expected "%s WIDTHxHEIGHT"' % (_where(name, no), words[0]))
            width, height = int(size[0]), int(size[1])
            if i + height > len(lines):
                raise ArtError('%s: picture needs %d rows, file ends first'
                               % (_where(name, no), height))
            rows = []
            for row_no, row_text in lines[i:i + height]:
                pixels = row_text.replace(' ', '')
                if len(pixels) != width:
                    raise ArtError('%s: row has %d pixels, expected %d'
                                   % (_where(name, row_no), len(pixels), width))
                row = []
                for x, ch in enumerate(pixels):
                    if ch not in palette:
                        raise ArtError('%s: column %d: %r is not in the palette'
                                       % (_where(name, row_no), x, ch))
                    row.append(palette[ch])
                rows.append(row)
            i += height
            images.append((width, height, rows))
            continue
        if not in_palette:
            after = ' after a %dx%d picture' % images[-1][:2] if images else ''
            raise ArtError('%s: unexpected line %r%s' % (_where(name, no), text, after))
        if len(words[0]) != 1 or len(words) < 2:
            raise ArtError('%s: palette entry must be "C R,G,B [note]"' % _where(name, no))
        ch = words[0]
        if ch in palette:
            raise ArtError('%s: %r is defined twice' % (_where(name, no), ch))
        if words[1] == 'transparent':
            if not allow_transparent:
                raise ArtError('%s: this art has no transparency; use the mask colour'
                               % _where(name, no))
            palette[ch] = None
        else:
            palette[ch] = _parse_colour(name, no, words[1])
    return palette, images


def load_toolbar():
    name = 'toolbar.txt'
    palette, images = parse_art(name, allow_transparent=False)
    for ch, rgb in sorted(palette.items()):
        bad = [c for c in rgb if c in FORBIDDEN_COMPONENTS]
        if bad:
            raise ArtError('res/%s: colour %r = %s uses component %d, which is not allowed'
                           ' (36 and 64 are reserved)' % (name, ch, rgb, bad[0]))
    if len(images) != 1 or images[0][:2] != TOOLBAR_SIZE:
        raise ArtError('res/%s: expected exactly one "art %dx%d" block'
                       % ((name,) + TOOLBAR_SIZE))
    rows = images[0][2]
    if rows[0][0] != MASK_COLOUR:
        raise ArtError('res/%s: the top-left pixel must be the mask colour %s, not %s'
                       % (name, MASK_COLOUR, rows[0][0]))
    return rows


def load_icon():
    name = 'icon.txt'
    palette, images = parse_art(name, allow_transparent=True)
    sizes = [(w, h) for w, h, _ in images]
    if sorted(sizes, reverse=True) != [(s, s) for s in ICON_SIZES]:
        raise ArtError('res/%s: expected one 32x32 and one 16x16 image, found %s'
                       % (name, ', '.join('%dx%d' % s for s in sizes) or 'none'))
    # Index 0 is black: transparent pixels are stored as black under a set
    # mask bit, so black is always in the table.
    colours = [(0, 0, 0)]
    for rgb in palette.values():
        if rgb is not None and rgb not in colours:
            colours.append(rgb)
    if len(colours) > ICON_COLOURS:
        raise ArtError('res/%s: %d colours (black included); 4 bits per pixel holds %d'
                       % (name, len(colours), ICON_COLOURS))
    return colours, sorted(images, key=lambda im: -im[0])


def load_cursor():
    name = 'hand_cursor.txt'
    rows = []
    for no, text in _read(name):
        if not text or text.startswith('#'):
            continue
        if len(text) != CURSOR_COLS:
            raise ArtError('%s: row has %d characters, expected %d'
                           % (_where(name, no), len(text), CURSOR_COLS))
        for x, ch in enumerate(text):
            if ch not in '.Xo':
                raise ArtError("%s: column %d: %r is not one of '.', 'X', 'o'"
                               % (_where(name, no), x, ch))
        rows.append(text)
    if len(rows) != CURSOR_ROWS:
        raise ArtError('res/%s: %d rows, expected %d' % (name, len(rows), CURSOR_ROWS))
    hot_x, hot_y = CURSOR_HOT
    if rows[hot_y][hot_x] == '.':
        raise ArtError('res/%s: the hot spot (column %d, row %d) is transparent'
                       % (name, hot_x, hot_y))
    return rows


def toolbar_bmp(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        bits += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(bits), 0, 0, 0, 0)
    offset = 14 + len(info)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    return head + info + bytes(bits)


def icon_ico(colours, images):
    palette = b''.join(struct.pack('<4B', b, g, r, 0) for r, g, b in colours)
    palette += bytes(4 * ICON_COLOURS - len(palette))
    blobs = []
    for size, _, rows in images:
        xor_stride = (size * 4 + 31) // 32 * 4
        and_stride = (size + 31) // 32 * 4
        xor_bits = bytearray()
        and_bits = bytearray()
        for row in reversed(rows):  # bottom-up
            xor_line = bytearray(xor_stride)
            and_line = bytearray(and_stride)
            for x, rgb in enumerate(row):
                if rgb is None:
                    and_line[x // 8] |= 0x80 >> (x % 8)
                    index = 0
                else:
                    index = colours.index(rgb)
                xor_line[x // 2] |= index << (0 if x % 2 else 4)
            xor_bits += xor_line
            and_bits += and_line
        info = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                           len(xor_bits) + len(and_bits), 0, 0, 0, 0)
        blobs.append((size, info + palette + bytes(xor_bits) + bytes(and_bits)))
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack('<4BHHII', size % 256, size % 256, ICON_COLOURS, 0, 1, 4,
                           len(blob), offset)
        offset += len(blob)
    return out + b''.join(blob for _, blob in blobs)


def cursor_planes(rows):
    stride = CURSOR_SIZE // 8
    and_plane = bytearray([0xFF] * (stride * CURSOR_SIZE))
    xor_plane = bytearray(stride * CURSOR_SIZE)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            i, bit = y * stride + x // 8, 0x80 >> (x % 8)
            if ch != '.':
                and_plane[i] &= ~bit
            if ch == 'o':
                xor_plane[i] |= bit
    return bytes(and_plane), bytes(xor_plane)


def cursor_header(and_plane, xor_plane):
    stride = CURSOR_SIZE // 8

    def table(name, plane):
        lines = ['constexpr unsigned char %s[%d] = {' % (name, len(plane))]
        for y in range(CURSOR_SIZE):
            row = plane[y * stride:(y + 1) * stride]
            lines.append('    %s,  // row %d' % (', '.join('0x%02x' % b for b in row), y))
        lines.append('};')
        return lines

    out = [
        '// Generated from res/hand_cursor.txt by tools/make_assets.py; do not edit.',
        '// The hand cursor for CreateCursor: 32 rows of 4 bytes each, top row',
        '// first, most significant bit = leftmost pixel. Transparent is AND 1 XOR 0,',
        '// black AND 0 XOR 0, white AND 0 XOR 1.',
        '#ifndef KESTROVA_CURSOR_PLANES_H',
        '#define KESTROVA_CURSOR_PLANES_H',
        '',
    ]
    out += table('kCursorAndPlane', and_plane)
    out += table('kCursorXorPlane', xor_plane)
    out += [
        'constexpr int kCursorHotX = %d, kCursorHotY = %d;' % CURSOR_HOT,
        '',
        '#endif',
        '',
    ]
    return '\n'.join(out).encode('ascii')


def check_bytes(label, data):
    for bad in FORBIDDEN_BYTES:
        at = data.find(bad)
        if at >= 0:
            raise ArtError('%s would contain %r at byte %d; change the art' % (label, bad, at))


def _write(path, data):
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: python3 tools/make_assets.py OUTDIR\n')
        return 2
    outdir = argv[1]
    try:
        bmp = toolbar_bmp(load_toolbar())
        ico = icon_ico(*load_icon())
        and_plane, xor_plane = cursor_planes(load_cursor())
        check_bytes('toolbar.bmp', bmp)
        check_bytes('kestrova.ico', ico)
        check_bytes('the cursor planes', and_plane + xor_plane)
    except ArtError as e:
        sys.stderr.write('make_assets: error: %s\n' % e)
        return 1
    os.makedirs(outdir, exist_ok=True)
    _write(os.path.join(outdir, 'toolbar.bmp'), bmp)
    _write(os.path.join(outdir, 'kestrova.ico'), ico)
    _write(os.path.join(outdir, 'cursor_planes.h'), cursor_header(and_plane, xor_plane))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
