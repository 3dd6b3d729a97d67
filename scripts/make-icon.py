#!/usr/bin/env python3
"""Draws the program icon (a tile with a dawn sky, sun and layered hills) at 16, 32 and
48 pixels and writes player/resources/tessary.ico. Pure standard library; run it again
only when the artwork changes."""
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SUPERSAMPLE = 8


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def tile_coverage(x, y):
    """Rounded square covering the unit square with a small margin."""
    margin, radius = 0.04, 0.2
    lo, hi = margin + radius, 1 - margin - radius
    dx = max(lo - x, 0, x - hi)
    dy = max(lo - y, 0, y - hi)
    return math.hypot(dx, dy) <= radius


def shade(x, y):
    """Colour (r, g, b) at unit coordinates (y grows downwards), or None outside."""
    if not tile_coverage(x, y):
        return None
    sky = mix((0.16, 0.19, 0.52), (0.98, 0.55, 0.38), min(1, max(0, (y - 0.08) / 0.62)))
    colour = sky
    # Sun.
    if math.hypot(x - 0.66, y - 0.42) < 0.15:
        colour = mix((1.0, 0.93, 0.62), (1.0, 0.80, 0.40), (y - 0.27) / 0.3)
    # Far hills, then near hills: two sine ridges.
    far = 0.62 + 0.06 * math.sin(x * 7.0 + 0.6)
    near = 0.74 + 0.07 * math.sin(x * 5.0 + 2.6)
    if y > far:
        colour = (0.36, 0.27, 0.58)
    if y > near:
        colour = mix((0.14, 0.42, 0.55), (0.07, 0.24, 0.38), (y - near) / 0.3)
    return colour


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = shade((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = [round(255 * min(1.0, acc[i] / hits)) for i in range(3)]
                row.append((*rgb, round(255 * hits / (n * n))))
        pixels.append(row)
    return pixels


def png(size, pixels):
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main(out):
    images = [(s, png(s, render(s))) for s in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        dim = 0 if size >= 256 else size
        data += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "player/resources/tessary.ico")
