#!/usr/bin/env python3
"""Draws the 16 x 16 pictures of the tool-bar actions as 24-bit BMPs (magenta is transparent) and
prints their resource lines. Run from this folder; the ids must match app/action_pictures.cpp."""
import math
import random
from bitmap_canvas import KEY, SIDE, blank, frame, rect, save

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
DARK = (64, 64, 64)
BLUE = (0, 80, 200)
NAVY = (0, 40, 120)
GREEN = (0, 150, 40)
RED = (210, 30, 30)
YELLOW = (240, 200, 60)
ORANGE = (224, 112, 0)
WAVE = (0, 130, 60)


def put(p, x, y, c):
    if 0 <= x < SIDE and 0 <= y < SIDE:
        p[y][x] = c


def line(p, x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        put(p, round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)


def disc(p, cx, cy, r, c):
    for y in range(SIDE):
        for x in range(SIDE):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                p[y][x] = c


def ring(p, cx, cy, r, c, start=0, end=360):
    for i in range(720):
        a = math.radians(start + (end - start) * i / 719)
        put(p, round(cx + r * math.cos(a)), round(cy - r * math.sin(a)), c)


def triangle(p, pts, c):
    (ax, ay), (bx, by), (cx, cy) = pts

    def side(x0, y0, x1, y1, x, y):
        return (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0)
    for y in range(SIDE):
        for x in range(SIDE):
            s = (side(ax, ay, bx, by, x, y), side(bx, by, cx, cy, x, y), side(cx, cy, ax, ay, x, y))
            if all(v >= 0 for v in s) or all(v <= 0 for v in s):
                p[y][x] = c


def sine(p, x0, x1, mid, amp, c, cycles=1.0, thick=False):
    last = None
    for x in range(x0, x1 + 1):
        y = mid - round(amp * math.sin((x - x0) * 2 * math.pi * cycles / max(x1 - x0, 1)))
        if last is not None:
            line(p, x - 1, last, x, y, c)
        put(p, x, y, c)
        if thick:
            put(p, x, y + 1, c)
        last = y


def page(p, x0=3, y0=1, x1=12, y1=14):
    rect(p, x0, y0, x1, y1, WHITE)
    frame(p, x0, y0, x1, y1, DARK)
    line(p, x1 - 3, y0, x1, y0 + 3, DARK)
    rect(p, x1 - 2, y0, x1, y0 + 2, KEY)
    line(p, x1 - 3, y0, x1 - 3, y0 + 3, DARK)
    line(p, x1 - 3, y0 + 3, x1, y0 + 3, DARK)
    line(p, x1 - 3, y0, x1, y0 + 3, DARK)


def floppy(p, x0=1, y0=1, s=14, c=BLUE):
    rect(p, x0, y0, x0 + s - 1, y0 + s - 1, c)
    frame(p, x0, y0, x0 + s - 1, y0 + s - 1, NAVY)
    rect(p, x0 + 3, y0 + 1, x0 + s - 4, y0 + s // 3, WHITE)
    rect(p, x0 + 3, y0 + s - 5, x0 + s - 4, y0 + s - 2, GREY)


def arrow_head(p, x, y, dx, dy, c, size=3):
    # A filled head at (x, y) pointing along (dx, dy).
    px, py = -dy, dx
    triangle(p, [(x + dx * size, y + dy * size), (x + px * size, y + py * size), (x - px * size, y - py * size)], c)


def bracket(p, x, left, c=BLUE):
    line(p, x, 2, x, 13, c)
    d = 2 if left else -2
    line(p, x, 2, x + d, 2, c)
    line(p, x, 13, x + d, 13, c)


def lanes(p, active=None):
    for i, y in enumerate((2, 7, 12)):
        rect(p, 1, y - 1, 14, y + 2, (200, 230, 200) if active is not None and i in active else WHITE)
        frame(p, 1, y - 1, 14, y + 2, GREY)
        sine(p, 2, 13, y + 1, 1, WAVE, cycles=2)


def new():
    p = blank()
    page(p)
    return p


def open_():
    p = blank()
    rect(p, 1, 4, 14, 13, YELLOW)
    frame(p, 1, 4, 14, 13, (150, 110, 0))
    rect(p, 1, 2, 6, 4, YELLOW)
    frame(p, 1, 2, 6, 4, (150, 110, 0))
    line(p, 2, 7, 14, 7, (150, 110, 0))
    return p


def save_():
    p = blank()
    floppy(p)
    return p


def save_fragment():
    p = blank()
    floppy(p)
    rect(p, 4, 2, 11, 5, WHITE)
    sine(p, 4, 11, 4, 1, RED)
    return p


def convert():
    p = blank()
    page(p, 1, 1, 8, 10)
    page(p, 7, 5, 14, 14)
    line(p, 3, 12, 5, 14, ORANGE)
    line(p, 3, 12, 3, 14, ORANGE)
    return p


def undo_redo(back):
    p = blank()
    ring(p, 8, 9, 5, BLUE, 0, 180)
    ring(p, 8, 9, 4, BLUE, 0, 180)
    x = 3 if back else 13
    arrow_head(p, x, 10, 0, 1, BLUE)
    return p


def magnifier(next_=False):
    p = blank()
    ring(p, 6, 6, 4, DARK)
    disc(p, 6, 6, 3, (190, 220, 255))
    line(p, 9, 9, 14, 14, DARK)
    line(p, 10, 9, 14, 13, DARK)
    if next_:
        arrow_head(p, 12, 3, 1, 0, GREEN, 2)
        line(p, 9, 3, 12, 3, GREEN)
    return p


def goto():
    p = blank()
    line(p, 12, 1, 12, 14, RED)
    line(p, 1, 8, 9, 8, BLUE)
    line(p, 1, 7, 9, 7, BLUE)
    arrow_head(p, 9, 7, 1, 0, BLUE)
    return p


def cut():
    p = blank()
    line(p, 4, 1, 10, 9, DARK)
    line(p, 11, 1, 5, 9, DARK)
    ring(p, 4, 12, 2, RED)
    ring(p, 11, 12, 2, RED)
    return p


def copy():
    p = blank()
    page(p, 1, 1, 9, 11)
    page(p, 6, 4, 14, 14)
    return p


def paste():
    p = blank()
    rect(p, 2, 2, 12, 14, (180, 130, 60))
    frame(p, 2, 2, 12, 14, (110, 70, 20))
    rect(p, 5, 1, 9, 3, GREY)
    page(p, 6, 6, 14, 15)
    return p


def delete():
    p = blank()
    for d in (-1, 0, 1):
        line(p, 3 + d, 3, 12 + d, 12, RED)
        line(p, 12 + d, 3, 3 + d, 12, RED)
    return p


def cutout():
    p = blank()
    sine(p, 0, 15, 8, 5, WAVE, cycles=2)
    rect(p, 5, 1, 10, 14, KEY)
    bracket(p, 5, False, RED)
    bracket(p, 10, True, RED)
    return p


def crop():
    p = blank()
    sine(p, 4, 11, 8, 4, WAVE, cycles=1)
    line(p, 3, 0, 3, 12, DARK)
    line(p, 3, 12, 15, 12, DARK)
    line(p, 0, 3, 12, 3, DARK)
    line(p, 12, 3, 12, 15, DARK)
    return p


def smoothing():
    p = blank()
    sine(p, 1, 14, 8, 5, BLUE, cycles=1, thick=True)
    return p


def track_modes():
    p = blank()
    lanes(p, active={1})
    return p


def select_all():
    p = blank()
    rect(p, 1, 2, 14, 13, (200, 220, 255))
    sine(p, 1, 14, 8, 4, WAVE, cycles=2)
    for x in range(1, 15, 2):
        put(p, x, 2, DARK)
        put(p, x, 13, DARK)
    return p


def select_edge(left, arrow, marker):
    p = blank()
    sine(p, 0, 15, 8, 3, WAVE, cycles=2)
    x = 8
    bracket(p, x, left)
    if marker:
        line(p, 1 if left else 14, 1, 1 if left else 14, 14, RED)
    if arrow:
        d = -1 if left else 1
        line(p, x + d, 8, x + 4 * d, 8, BLUE)
        arrow_head(p, x + 4 * d, 8, d, 0, BLUE, 2)
    return p


def rewind():
    p = blank()
    rect(p, 2, 3, 3, 12, DARK)
    triangle(p, [(4, 8), (9, 3), (9, 13)], DARK)
    triangle(p, [(9, 8), (14, 3), (14, 13)], DARK)
    return p


def play(selection=False):
    p = blank()
    if selection:
        bracket(p, 1, True)
        bracket(p, 14, False)
        triangle(p, [(5, 3), (5, 12), (11, 8)], GREEN)
    else:
        triangle(p, [(4, 2), (4, 13), (12, 8)], GREEN)
    return p


def stop():
    p = blank()
    rect(p, 3, 3, 12, 12, DARK)
    return p


def pause():
    p = blank()
    rect(p, 4, 3, 6, 12, DARK)
    rect(p, 9, 3, 11, 12, DARK)
    return p


def loop():
    p = blank()
    ring(p, 8, 8, 5, GREEN, 30, 330)
    ring(p, 8, 8, 4, GREEN, 30, 330)
    arrow_head(p, 12, 5, 0, 1, GREEN, 2)
    return p


def speaker():
    p = blank()
    rect(p, 2, 6, 4, 10, DARK)
    triangle(p, [(4, 8), (8, 3), (8, 13)], DARK)
    ring(p, 8, 8, 3, BLUE, -50, 50)
    ring(p, 8, 8, 6, BLUE, -50, 50)
    return p


def record():
    p = blank()
    disc(p, 7.5, 7.5, 5.5, RED)
    return p


def microphone():
    p = blank()
    rect(p, 6, 1, 9, 8, DARK)
    ring(p, 7.5, 7, 4, GREY, 180, 360)
    line(p, 7, 11, 7, 13, GREY)
    line(p, 8, 11, 8, 13, GREY)
    line(p, 4, 14, 11, 14, GREY)
    return p


def center():
    p = blank()
    sine(p, 1, 14, 5, 3, WAVE, cycles=2)
    line(p, 0, 8, 15, 8, RED)
    arrow_head(p, 8, 10, 0, -1, BLUE, 2)
    return p


def noise():
    p = blank()
    rnd = random.Random(7)
    last = 8
    for x in range(1, 15):
        y = 8 + rnd.randint(-5, 5)
        line(p, x - 1, last, x, y, GREY)
        last = y
    sine(p, 1, 14, 8, 4, WAVE, cycles=1, thick=True)
    return p


def volume():
    p = blank()
    triangle(p, [(1, 13), (14, 13), (14, 2)], (0, 140, 200))
    return p


def note():
    p = blank()
    disc(p, 5, 12, 2.5, DARK)
    line(p, 7, 12, 7, 2, DARK)
    line(p, 8, 2, 11, 5, DARK)
    line(p, 8, 3, 11, 6, DARK)
    return p


def sizes():
    p = blank()
    line(p, 2, 8, 13, 8, BLUE)
    line(p, 2, 7, 13, 7, BLUE)
    arrow_head(p, 2, 7, -1, 0, BLUE)
    arrow_head(p, 13, 7, 1, 0, BLUE)
    line(p, 0, 2, 0, 13, DARK)
    line(p, 15, 2, 15, 13, DARK)
    return p


def echo():
    p = blank()
    for x, h in ((2, 10), (6, 7), (10, 4), (13, 2)):
        rect(p, x, 13 - h, x + 1, 13, (0, 100, 200))
    return p


def pulsation():
    p = blank()
    for x in (2, 7, 12):
        rect(p, x, 4, x + 2, 12, ORANGE)
    line(p, 0, 12, 15, 12, DARK)
    return p


def funnel():
    p = blank()
    triangle(p, [(1, 2), (14, 2), (8, 9)], (0, 120, 200))
    rect(p, 7, 9, 8, 14, (0, 120, 200))
    return p


def equalizer():
    p = blank()
    for x, knob in ((2, 5), (6, 10), (10, 3), (13, 8)):
        line(p, x, 2, x, 13, GREY)
        rect(p, x - 1, knob, x + 1, knob + 1, BLUE)
    return p


def star():
    p = blank()
    pts = []
    for i in range(10):
        r = 7 if i % 2 == 0 else 3
        a = math.pi / 2 + i * math.pi / 5
        pts.append((7.5 + r * math.cos(a), 7.5 - r * math.sin(a)))
    for i in range(10):
        triangle(p, [(7.5, 7.5), pts[i], pts[(i + 1) % 10]], YELLOW)
    return p


def math_():
    p = blank()
    rect(p, 1, 4, 7, 5, DARK)
    rect(p, 3, 2, 4, 7, DARK)
    rect(p, 8, 11, 14, 12, DARK)
    line(p, 12, 1, 4, 14, GREY)
    return p


def pointer():
    p = blank()
    triangle(p, [(3, 1), (3, 13), (11, 9)], WHITE)
    line(p, 3, 1, 3, 13, BLACK)
    line(p, 3, 1, 11, 9, BLACK)
    line(p, 3, 13, 11, 9, BLACK)
    line(p, 7, 11, 9, 15, BLACK)
    return p


def draw_tool(kind):
    p = blank()
    line(p, 0, 15, 15, 15, GREY)
    if kind == 'point':
        disc(p, 8, 8, 2.5, RED)
    elif kind == 'line':
        line(p, 2, 13, 13, 2, RED)
        line(p, 3, 13, 13, 3, RED)
    else:
        sine(p, 1, 14, 8, 5, RED, cycles=0.75, thick=True)
    return p


def bars(extra=None):
    p = blank()
    for x, h in ((1, 4), (3, 9), (5, 12), (7, 7), (9, 5), (11, 3), (13, 2)):
        rect(p, x, 14 - h, x + 1, 14, (0, 100, 200))
    if extra == 'repeat':
        ring(p, 12, 4, 3, GREEN, 0, 270)
    elif extra == 'gen':
        sine(p, 5, 15, 3, 2, RED)
    elif extra == 'genmix':
        sine(p, 5, 15, 3, 2, RED)
        rect(p, 12, 8, 14, 8, RED)
        rect(p, 13, 7, 13, 9, RED)
    return p


def sine_gen(mix=False):
    p = blank()
    sine(p, 1, 14, 8, 5, RED, cycles=1, thick=True)
    if mix:
        rect(p, 10, 2, 14, 2, DARK)
        rect(p, 12, 0, 12, 4, DARK)
    return p


def backup(kind):
    p = blank()
    page(p, 1, 1, 9, 12)
    rect(p, 8, 8, 15, 15, (200, 160, 90))
    frame(p, 8, 8, 15, 15, (120, 80, 20))
    if kind == 'save':
        line(p, 6, 6, 11, 11, BLUE)
        arrow_head(p, 11, 11, 1, 1, BLUE, 2)
    elif kind == 'restore':
        line(p, 11, 11, 6, 6, GREEN)
        arrow_head(p, 5, 5, -1, -1, GREEN, 2)
    elif kind == 'move':
        line(p, 11, 11, 6, 6, ORANGE)
        arrow_head(p, 5, 5, -1, -1, ORANGE, 2)
        line(p, 9, 13, 14, 13, ORANGE)
    else:
        line(p, 9, 9, 14, 14, RED)
        line(p, 14, 9, 9, 14, RED)
    return p


def tracks(kind):
    p = blank()
    if kind == 'modify':
        lanes(p)
        line(p, 8, 14, 14, 8, RED)
        line(p, 9, 14, 15, 8, RED)
    elif kind == 'all':
        lanes(p, active={0, 1, 2})
    elif kind == 'next':
        lanes(p, active={2})
        arrow_head(p, 13, 10, 0, 1, BLUE, 2)
    elif kind == 'prev':
        lanes(p, active={0})
        arrow_head(p, 13, 5, 0, -1, BLUE, 2)
    else:
        lanes(p, active={0, 2})
    return p


def reload():
    p = blank()
    ring(p, 8, 8, 5, GREEN, 60, 360)
    ring(p, 8, 8, 4, GREEN, 60, 360)
    arrow_head(p, 10, 3, 1, 0, GREEN, 2)
    return p


def close():
    p = blank()
    line(p, 4, 4, 11, 11, DARK)
    line(p, 11, 4, 4, 11, DARK)
    line(p, 5, 4, 11, 10, DARK)
    line(p, 11, 5, 5, 11, DARK)
    return p


def save_as():
    p = save_()
    line(p, 8, 14, 15, 7, RED)
    line(p, 9, 14, 15, 8, RED)
    return p


def save_all():
    p = blank()
    floppy(p, 0, 0, 11)
    floppy(p, 5, 5, 11)
    return p


PICTURES = [
    (7100, 'action_new', new), (7101, 'action_open', open_), (7102, 'action_save', save_),
    (7103, 'action_save_fragment', save_fragment), (7104, 'action_convert', convert),
    (7105, 'action_undo', lambda: undo_redo(True)), (7106, 'action_redo', lambda: undo_redo(False)),
    (7107, 'action_find', magnifier), (7108, 'action_find_next', lambda: magnifier(True)),
    (7109, 'action_goto', goto), (7110, 'action_cut', cut), (7111, 'action_copy', copy),
    (7112, 'action_paste', paste), (7113, 'action_delete', delete), (7114, 'action_cutout', cutout),
    (7115, 'action_crop', crop), (7116, 'action_smoothing', smoothing),
    (7117, 'action_track_modes', track_modes), (7118, 'action_select_all', select_all),
    (7119, 'action_end_select', lambda: select_edge(False, False, False)),
    (7120, 'action_expand_begin', lambda: select_edge(True, True, False)),
    (7121, 'action_begin_to_marker', lambda: select_edge(True, False, True)),
    (7122, 'action_end_to_marker', lambda: select_edge(False, False, True)),
    (7123, 'action_rewind', rewind), (7124, 'action_play', play),
    (7125, 'action_play_selection', lambda: play(True)), (7126, 'action_stop', stop),
    (7127, 'action_pause', pause), (7128, 'action_loop', loop), (7129, 'action_speaker', speaker),
    (7130, 'action_record', record), (7131, 'action_microphone', microphone),
    (7132, 'action_center', center), (7133, 'action_noise', noise), (7134, 'action_volume', volume),
    (7135, 'action_pitch', note), (7136, 'action_sizes', sizes), (7137, 'action_echo', echo),
    (7138, 'action_pulsation', pulsation), (7139, 'action_filter', funnel),
    (7140, 'action_equalizer', equalizer), (7141, 'action_special', star), (7142, 'action_math', math_),
    (7143, 'action_no_draw', pointer), (7144, 'action_point_draw', lambda: draw_tool('point')),
    (7145, 'action_line_draw', lambda: draw_tool('line')),
    (7146, 'action_curve_draw', lambda: draw_tool('curve')), (7147, 'action_fft', bars),
    (7148, 'action_fft_repeat', lambda: bars('repeat')), (7149, 'action_fft_gen', lambda: bars('gen')),
    (7150, 'action_fft_gen_mix', lambda: bars('genmix')), (7151, 'action_sine_gen', sine_gen),
    (7152, 'action_sine_gen_mix', lambda: sine_gen(True)),
    (7153, 'action_backup', lambda: backup('save')), (7154, 'action_unbackup', lambda: backup('restore')),
    (7155, 'action_unbackup_move', lambda: backup('move')),
    (7156, 'action_delete_backup', lambda: backup('delete')),
    (7157, 'action_tracks_modify', lambda: tracks('modify')), (7158, 'action_track_all', lambda: tracks('all')),
    (7159, 'action_track_next', lambda: tracks('next')), (7160, 'action_track_prev', lambda: tracks('prev')),
    (7161, 'action_track_select', lambda: tracks('select')), (7162, 'action_reload', reload),
    (7163, 'action_close', close), (7164, 'action_save_as', save_as), (7165, 'action_save_all', save_all),
]

if __name__ == '__main__':
    for number, name, draw in PICTURES:
        save(name + '.bmp', draw())
        print('%d BITMAP "images/%s.bmp"' % (number, name))
