#!/usr/bin/env python3
"""Draws the sample payload's images: the customer logo and icon (24-bit BMP)
and the document icon (ICO). Run from this folder; the outputs are committed."""
import struct


def bmp24(width, height, pixel):
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def logo(x, y):
    # A container ship on a blue sea under a pale sky.
    w, h = 300, 120
    if y > 88:
        shade = 60 + (y - 88) * 3
        return (0, shade, 140 + (y - 88) * 2)
    if 40 <= x <= 260 and 70 <= y <= 88 and (y - 70) >= (40 - x) / 2 and (y - 70) >= (x - 260) / 2:
        return (40, 40, 48)
    colours = [(200, 40, 40), (230, 160, 20), (0, 128, 192), (40, 150, 70)]
    if 60 <= x < 230 and 46 <= y < 70:
        col, row = (x - 60) // 17, (y - 46) // 12
        if (x - 60) % 17 == 16 or (y - 46) % 12 == 11:
            return (255, 255, 255)
        return colours[(col + row) % len(colours)]
    if 232 <= x < 252 and 30 <= y < 70:
        return (240, 240, 240)
    return (255 - y // 3, 255 - y // 6, 255)


def icon(x, y):
    # A small page with folded corner: the bill of lading.
    if x < 3 or x > 12 or y < 1 or y > 14:
        return (255, 0, 255)
    if x > 8 and y < 5 and (x - 8) > y - 1:
        return (255, 0, 255)
    if y in (5, 7, 9, 11) and 5 <= x <= 10:
        return (0, 64, 128)
    return (255, 255, 255) if 3 < x < 12 and 1 < y < 14 else (0, 0, 0)


def ico32(pixel):
    size = 32
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b = pixel(x // 2, y // 2)
            alpha = 0 if (r, g, b) == (255, 0, 255) else 255
            xor += bytes((b, g, r, alpha))
    and_mask = b"\0" * (4 * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = info + bytes(xor) + and_mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


with open("nvocc/image.bmp", "wb") as f:
    f.write(bmp24(300, 120, logo))
with open("nvocc/icon.bmp", "wb") as f:
    f.write(bmp24(16, 16, icon))
with open("data/bldfile.ico", "wb") as f:
    f.write(ico32(icon))
