#!/usr/bin/env python3
"""Saves a PNG of the X display in $DISPLAY (the whole screen, or the given
rectangle), from `xwd` output, with the standard library only.

usage: screenshot.py OUT.png [X Y WIDTH HEIGHT]
"""
import struct
import subprocess
import sys
import zlib


def grab():
    """Returns (width, height, rows of RGB bytes) of the root window."""
    raw = subprocess.run(["xwd", "-root", "-silent"], check=True, capture_output=True).stdout
    header_size, _version, _format, depth, width, height = struct.unpack(">6I", raw[:24])
    (_xoff, _order, _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual,
     red_mask, green_mask, blue_mask, _bits_rgb, _entries, ncolors) = struct.unpack(">14I", raw[24:80])
    step = bits_per_pixel // 8
    if step not in (3, 4) or (red_mask, green_mask, blue_mask) != (0xFF0000, 0xFF00, 0xFF):
        raise SystemExit(f"screenshot: unsupported layout ({bits_per_pixel} bits per pixel, depth {depth})")
    pixels = raw[header_size + 12 * ncolors:]
    little = _order == 0  # LSBFirst: blue, green, red in memory
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        row = bytearray(3 * width)
        if little:
            row[0::3], row[1::3], row[2::3] = line[2::step], line[1::step], line[0::step]
        else:
            off = step - 3
            row[0::3], row[1::3], row[2::3] = line[off::step], line[off + 1::step], line[off + 2::step]
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">2I5B", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    width, height, rows = grab()
    if len(sys.argv) == 6:
        x, y, w, h = (int(v) for v in sys.argv[2:6])
        x, y = max(0, x), max(0, y)
        w, h = min(w, width - x), min(h, height - y)
        rows = [row[3 * x:3 * (x + w)] for row in rows[y:y + h]]
        width, height = w, h
    write_png(sys.argv[1], width, height, rows)


if __name__ == "__main__":
    main()
