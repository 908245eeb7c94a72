#!/usr/bin/env python3
"""Draws the 16 x 16 pictures of the plug-in menus and the converter's format rows as 24-bit BMPs
(magenta is transparent). Run from this folder."""
import math
import struct

KEY = (255, 0, 255)
SIDE = 16


def save(name, pixels):
    row = SIDE * 3
    pad = (4 - row % 4) % 4
    data = b''
    for y in range(SIDE - 1, -1, -1):
        for x in range(SIDE):
            r, g, b = pixels[y][x]
            data += bytes((b, g, r))
        data += b'\0' * pad
    header = struct.pack('<IiiHHIIiiII', 40, SIDE, SIDE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(name, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + 40 + len(data), 0, 0, 54) + header + data)


def blank():
    return [[KEY] * SIDE for _ in range(SIDE)]


def rect(p, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            p[y][x] = colour


def frame(p, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        p[y0][x] = p[y1][x] = colour
    for y in range(y0, y1 + 1):
        p[y][x0] = p[y][x1] = colour


def effect():
    # A rack unit with a wave and two plug pins.
    p = blank()
    rect(p, 1, 3, 14, 12, (0, 64, 128))
    frame(p, 1, 3, 14, 12, (0, 0, 64))
    for x in range(3, 13):
        y = 8 - round(3 * math.sin((x - 3) * math.pi / 4.5))
        p[y][x] = (0, 224, 96)
    rect(p, 4, 13, 5, 15, (96, 96, 96))
    rect(p, 10, 13, 11, 15, (96, 96, 96))
    return p


def info():
    # A blue disc with a white "i".
    p = blank()
    for y in range(SIDE):
        for x in range(SIDE):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 56:
                p[y][x] = (0, 80, 200)
    rect(p, 7, 3, 8, 4, (255, 255, 255))
    rect(p, 7, 6, 8, 12, (255, 255, 255))
    rect(p, 6, 12, 9, 12, (255, 255, 255))
    return p


def instrument():
    # Keys of a keyboard: white keys and three black ones.
    p = blank()
    rect(p, 0, 2, 15, 13, (255, 255, 255))
    frame(p, 0, 2, 15, 13, (0, 0, 0))
    for x in (5, 10):
        rect(p, x, 2, x, 13, (0, 0, 0))
    for x in (3, 8, 12):
        rect(p, x, 2, x + 1, 9, (32, 32, 32))
    return p


def format_node():
    # A page with an orange wave.
    p = blank()
    rect(p, 2, 1, 13, 14, (255, 255, 255))
    frame(p, 2, 1, 13, 14, (64, 64, 64))
    for x in range(4, 12):
        y = 8 - round(3 * math.sin((x - 4) * math.pi / 3.5))
        p[y][x] = (224, 112, 0)
        p[min(y + 1, 13)][x] = (224, 112, 0)
    return p


save('plugin_effect.bmp', effect())
save('plugin_info.bmp', info())
save('plugin_instrument.bmp', instrument())
save('format_node.bmp', format_node())
