#include "gui/align.h"

static void place(LONG extent, LONG& low, LONG& high, char letter, char fill, char start, char end, char centre) {
    LONG room = high - low;
    if (letter == fill) return;
    if (letter == start) {
        high = low + extent;
    } else if (letter == end) {
        low = high - extent;
    } else if (letter == centre) {
        low += (room - extent) / 2;
        high = low + extent;
    }
}

RECT alignRect(SIZE size, const RECT& rect, char horizontal, char vertical) {
    RECT r = rect;
    place(size.cx, r.left, r.right, horizontal, 'U', '<', '>', '|');
    place(size.cy, r.top, r.bottom, vertical, 'C', '^', 'v', '-');
    return r;
}
