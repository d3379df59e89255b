#!/usr/bin/env python3
"""Draws Tallowick's icon: a fiscal printer with its receipt and a green ready light.

Writes tallowick-SIZE.png (16, 32, 48, 64, 128, 256) and tallowick.ico (with every size)
next to this script. Only the standard library is used, so the icon can be redrawn on any
machine: python3 packaging/make-icon.py
"""
import os
import struct
import zlib

SIZES = (16, 32, 48, 64, 128, 256)
HERE = os.path.dirname(os.path.abspath(__file__))


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def receipt(x, y):
    # The paper coming out of the printer, its lower edge torn in teeth.
    if not 76 <= x <= 180 or y < 28:
        return False
    tooth = abs(((x - 76) % 16) - 8)
    return y <= 120 + tooth


def text_line(x, y):
    for top, right in ((48, 160), (64, 140), (80, 160), (96, 124)):
        if 92 <= x <= right and top <= y <= top + 6:
            return True
    return False


# Back to front; the last shape that covers a point gives its colour (RGBA).
SHAPES = [
    (rounded(8, 8, 248, 248, 44), (31, 78, 121, 255)),
    (receipt, (250, 250, 247, 255)),
    (text_line, (120, 132, 145, 255)),
    (rounded(32, 120, 224, 220, 18), (214, 221, 229, 255)),
    (rounded(60, 132, 196, 146, 6), (58, 68, 80, 255)),
    (rounded(48, 176, 150, 204, 8), (168, 178, 190, 255)),
    (lambda x, y: (x - 190) ** 2 + (y - 190) ** 2 <= 13 ** 2, (46, 204, 64, 255)),
]


def colour_at(x, y):
    result = (0, 0, 0, 0)
    for inside, colour in SHAPES:
        if inside(x, y):
            result = colour
    return result


def render(size, samples=4):
    rows = []
    scale = 256 / size
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) * scale,
                                  (py + (sy + 0.5) / samples) * scale)
                    acc[0] += c[0] * c[3]
                    acc[1] += c[1] * c[3]
                    acc[2] += c[2] * c[3]
                    acc[3] += c[3]
            alpha = acc[3]
            n = samples * samples
            if alpha:
                row += bytes((acc[0] // alpha, acc[1] // alpha, acc[2] // alpha, alpha // n))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(data for _, data in images)


def main():
    images = []
    for size in SIZES:
        data = png(size, render(size))
        with open(os.path.join(HERE, f"tallowick-{size}.png"), "wb") as f:
            f.write(data)
        images.append((size, data))
    with open(os.path.join(HERE, "tallowick.ico"), "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
