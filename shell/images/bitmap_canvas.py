"""A square picture (16 x 16 unless said) as rows of (r, g, b), saved as a 24-bit BMP; magenta is
transparent."""
import struct

KEY = (255, 0, 255)
SIDE = 16


def save(name, pixels):
    side = len(pixels)
    row = side * 3
    pad = (4 - row % 4) % 4
    data = b''
    for y in range(side - 1, -1, -1):
        for x in range(side):
            r, g, b = pixels[y][x]
            data += bytes((b, g, r))
        data += b'\0' * pad
    header = struct.pack('<IiiHHIIiiII', 40, side, side, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(name, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + 40 + len(data), 0, 0, 54) + header + data)


def blank():
    return [[KEY] * SIDE for _ in range(SIDE)]


def rect(p, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if 0 <= x < SIDE and 0 <= y < SIDE:
                p[y][x] = colour


def frame(p, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        p[y0][x] = p[y1][x] = colour
    for y in range(y0, y1 + 1):
        p[y][x0] = p[y][x1] = colour
