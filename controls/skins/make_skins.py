#!/usr/bin/env python3
"""Draws the built-in skin images as 24-bit BMP files beside this script.

Run once after changing the art; the BMP files are kept in the source tree and
compiled into the program. Every image has magenta in its four corner pixels,
so its bottom-left pixel gives the transparent key colour.
"""
import math
import os
import struct

MAGENTA = (0xFF, 0x00, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)


def hexrgb(value):
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Image:
    def __init__(self, width, height, fill=MAGENTA):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def save(self, path):
        row_bytes = (self.width * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.height - 1, -1, -1):
            row = bytearray()
            for r, g, b in self.pixels[y]:
                row += bytes((b, g, r))
            row += b"\0" * (row_bytes - len(row))
            data += row
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


# Push buttons, 9 x 23: a frame with cut corners around a shaded face. Column 4
# and row 10 are plain face, so they can be repeated to any size.
BUTTON_W, BUTTON_H = 9, 23


def button(frame, face_top, face_bottom, rims=()):
    img = Image(BUTTON_W, BUTTON_H)
    w, h = BUTTON_W, BUTTON_H
    for y in range(1, h - 1):
        colour = mix(face_top, face_bottom, (y - 1) / (h - 3))
        for x in range(1, w - 1):
            img.set(x, y, colour)
    for x in range(1, w - 1):
        img.set(x, 0, frame)
        img.set(x, h - 1, frame)
    for y in range(1, h - 1):
        img.set(0, y, frame)
        img.set(w - 1, y, frame)
    # Rounded corners: the corner pixel stays the key, its neighbours blend.
    soft = mix(frame, face_top, 0.5)
    for x, y in ((1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)):
        img.set(x, y, soft)
    # Inner rims, outermost first, each one pixel further in.
    for depth, colour in enumerate(rims, start=1):
        for x in range(depth, w - depth):
            img.set(x, depth, colour)
            img.set(x, h - 1 - depth, colour)
        for y in range(depth + 1, h - 1 - depth):
            img.set(depth, y, colour)
            img.set(w - 1 - depth, y, colour)
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        img.set(x, y, MAGENTA)
    return img


DARK_BLUE = hexrgb(0x003C74)
UP_FACE = (hexrgb(0xFFFFFF), hexrgb(0xE3E2DA))
DOWN_FACE = (hexrgb(0xE2E1D9), hexrgb(0xC9C8BE))
HOTDOWN_FACE = (hexrgb(0xEDECE6), hexrgb(0xD7D6CD))


def buttons():
    return {
        "Skin_Button_Up": button(DARK_BLUE, *UP_FACE),
        "Skin_Button_Down": button(DARK_BLUE, *DOWN_FACE),
        "Skin_Button_Checked": button(DARK_BLUE, *DOWN_FACE),
        "Skin_Button_Hot": button(DARK_BLUE, *UP_FACE, rims=(hexrgb(0xFCD279),)),
        "Skin_Button_HotDown": button(DARK_BLUE, *HOTDOWN_FACE),
        "Skin_Button_Focus": button(DARK_BLUE, *UP_FACE, rims=(hexrgb(0x89ADE4), hexrgb(0xBCD4F6))),
        "Skin_Button_Disabled": button(hexrgb(0xC9C7BA), hexrgb(0xF5F4EA), hexrgb(0xF5F4EA)),
    }


# Check boxes: a 13 x 13 box at (1, 1).
BOX_X, BOX_Y, BOX_SIZE = 1, 1, 13
CHECK_FRAME = hexrgb(0x1C5180)
LIGHT_GREY = hexrgb(0xDCDCD7)
TICK = hexrgb(0x21A121)
TICK_PIXELS = [(4, 6), (4, 7), (4, 8), (5, 7), (5, 8), (5, 9), (6, 8), (6, 9), (6, 10), (7, 7), (7, 8), (7, 9),
               (8, 6), (8, 7), (8, 8), (9, 5), (9, 6), (9, 7), (10, 4), (10, 5), (10, 6)]


def box(size, frame, face, inner_square=None, tick=False):
    img = Image(size, size)
    last = BOX_SIZE - 1
    for y in range(BOX_SIZE):
        for x in range(BOX_SIZE):
            if x in (0, last) or y in (0, last):
                colour = frame
            elif face == "diagonal":
                colour = mix(LIGHT_GREY, WHITE, (x + y - 2) / (2 * (last - 2)))
            else:
                colour = face
            img.set(BOX_X + x, BOX_Y + y, colour)
    if inner_square:
        for i in range(2, BOX_SIZE - 2):
            for x, y in ((i, 2), (i, last - 2), (2, i), (last - 2, i)):
                img.set(BOX_X + x, BOX_Y + y, inner_square)
    if tick:
        for x, y in TICK_PIXELS:
            img.set(x, y, TICK)
    return img


def checks():
    return {
        "Skin_Check_Up": box(16, CHECK_FRAME, "diagonal"),
        "Skin_Check_Hot": box(16, CHECK_FRAME, WHITE, inner_square=hexrgb(0xE7E7E3)),
        "Skin_Check_Down": box(16, CHECK_FRAME, "diagonal", tick=True),
        "Skin_Check_HotDown": box(16, CHECK_FRAME, WHITE, inner_square=hexrgb(0xE7E7E3), tick=True),
        "Skin_Check_Disabled": box(15, hexrgb(0xCAC8BB), WHITE),
    }


# Radio buttons: a disc 12 pixels across with a one-pixel rim.
RADIO_RIM = hexrgb(0x1C5180)
DOT = hexrgb(0x1E4F2E)


def radio(size, centre, rim, face, dot=False, inner_ring=None):
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - centre, y - centre)
            if d < 5.0:
                if dot and d < 2.3:
                    colour = DOT
                elif inner_ring and d >= 4.0:
                    colour = inner_ring
                elif face == "diagonal":
                    colour = mix(LIGHT_GREY, WHITE, min(1.0, max(0.0, (x + y - 2 * centre + 10) / 20)))
                else:
                    colour = face
                img.set(x, y, colour)
            elif d < 6.0:
                img.set(x, y, rim)
    for x, y in ((0, 0), (size - 1, 0), (0, size - 1), (size - 1, size - 1)):
        img.set(x, y, MAGENTA)
    return img


def radios():
    hot_ring = hexrgb(0xE7E7E3)
    return {
        "Skin_Radio_Up": radio(16, 7.5, RADIO_RIM, "diagonal"),
        "Skin_Radio_Hot": radio(16, 7.5, RADIO_RIM, WHITE, inner_ring=hot_ring),
        "Skin_Radio_Down": radio(16, 7.5, RADIO_RIM, "diagonal", dot=True),
        "Skin_Radio_HotDown": radio(16, 7.5, RADIO_RIM, WHITE, dot=True, inner_ring=hot_ring),
        "Skin_Radio_Disabled": radio(15, 6.5, hexrgb(0xCAC8BB), hexrgb(0xF5F4EA)),
    }


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    images = {**buttons(), **checks(), **radios()}
    assert len(images) == 17
    for name, img in sorted(images.items()):
        img.save(os.path.join(folder, name + ".bmp"))


if __name__ == "__main__":
    main()
