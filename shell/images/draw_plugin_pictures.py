#!/usr/bin/env python3
"""Draws the 16 x 16 pictures of the plug-in menus and the converter's format rows as 24-bit BMPs
(magenta is transparent). Run from this folder."""
import math
from bitmap_canvas import KEY, SIDE, blank, frame, rect, save


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
