#!/usr/bin/env python3
"""Draws the installer page's 48 x 48 picture (installer_logo.bmp, 24-bit): a wave on a dark
panel. Run from this folder."""
import math
from bitmap_canvas import save

SIDE = 48


def logo():
    p = [[(0, 48, 96)] * SIDE for _ in range(SIDE)]
    for i in range(SIDE):
        p[0][i] = p[SIDE - 1][i] = p[i][0] = p[i][SIDE - 1] = (0, 0, 48)
    for x in range(4, SIDE - 4):
        y = 24 - round(14 * math.sin((x - 4) * 2 * math.pi / 40) * (1 - (x - 4) / 48))
        for dy in (-1, 0, 1):
            p[y + dy][x] = (255, 200, 0)
    for x in range(4, SIDE - 4, 2):
        p[24][x] = (96, 160, 224)
    return p


if __name__ == '__main__':
    save('installer_logo.bmp', logo())
