#!/usr/bin/env python3
"""Draws the stub's default icon and writes it as an .ico file.

Ten images: 8-bit paletted bitmaps of 16, 24, 32 and 48 pixels (for systems
that read bitmap icons only) and 32-bit images of 16, 24, 32, 48, 64 and 256
pixels stored as PNG (small, because the picture is flat).

The picture: a rounded blue box with a white downward arrow over a tray.

usage: make_icon.py OUTPUT.ico
"""
import struct
import sys
import zlib

PALETTE = [  # (r, g, b); index 0 is transparent (masked)
    (0, 0, 0),
    (0x1F, 0x5F, 0xB4),  # box
    (0x15, 0x40, 0x7A),  # box edge
    (0xFF, 0xFF, 0xFF),  # arrow
]
PALETTE_SIZE = 16  # entries stored in the 8-bit bitmaps (biClrUsed)


def in_rounded(u, v, m, r):
    """True when (u, v) lies in the square [m, 1 - m] with corners of radius r."""
    if not (m <= u <= 1 - m and m <= v <= 1 - m):
        return False
    cx = min(max(u, m + r), 1 - m - r)
    cy = min(max(v, m + r), 1 - m - r)
    return (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def pixel_index(x, y, n):
    """Palette index of pixel (x, y) of an n x n picture (y = 0 at the top)."""
    u = (x + 0.5) / n
    v = (y + 0.5) / n
    if not in_rounded(u, v, 0.06, 0.16):
        return 0
    edge = 1.5 / n + 0.02
    if not in_rounded(u, v, 0.06 + edge, 0.16 - edge):
        return 2
    # Arrow: a shaft and a head, then a tray line under it.
    shaft = 0.42 <= u <= 0.58 and 0.2 <= v <= 0.5
    head = 0.5 <= v <= 0.7 and abs(u - 0.5) <= (0.7 - v) * 1.1
    tray = 0.74 <= v <= 0.82 and 0.24 <= u <= 0.76
    return 3 if shaft or head or tray else 1


def rows(n):
    return [[pixel_index(x, y, n) for x in range(n)] for y in range(n)]


def mask_bytes(n, grid):
    """AND mask, bottom-up, rows padded to 4 bytes; 1 = transparent."""
    stride = ((n + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(n)):
        row = bytearray(stride)
        for x in range(n):
            if grid[y][x] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bitmap8(n):
    grid = rows(n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 8, 0, 0, 0, 0,
                         PALETTE_SIZE, 0)
    pal = bytearray()
    for i in range(PALETTE_SIZE):
        r, g, b = PALETTE[i] if i < len(PALETTE) else (0, 0, 0)
        pal += bytes((b, g, r, 0))
    stride = (n + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(n)):
        row = bytearray(grid[y]) + bytes(stride - n)
        pixels += row
    return header + bytes(pal) + bytes(pixels) + mask_bytes(n, grid)


def png32(n):
    grid = rows(n)
    raw = bytearray()
    for y in range(n):
        raw.append(0)  # filter: none
        for x in range(n):
            i = grid[y][x]
            r, g, b = PALETTE[i]
            raw += bytes((r, g, b, 0 if i == 0 else 255))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    images = [(n, 8, bitmap8(n)) for n in (16, 24, 32, 48)]
    images += [(n, 32, png32(n)) for n in (16, 24, 32, 48, 64, 256)]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, bpp, data in images:
        side = 0 if n >= 256 else n
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bpp, len(data),
                           offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
