#include "gui/layout/align.h"

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

static void placeInRoom(LONG& low, LONG& high, LONG roomLow, LONG roomHigh, char letter, char fill, char start,
                        char end, char centre) {
    LONG extent = high - low;
    LONG room = roomHigh - roomLow;
    if (room <= extent || letter == fill) {
        low = roomLow;
        high = roomHigh;
    } else if (letter == start) {
        low = roomLow;
        high = roomLow + extent;
    } else if (letter == end) {
        low = roomHigh - extent;
        high = roomHigh;
    } else if (letter == centre) {
        low = roomLow + ((room - extent) >> 1);
        high = low + extent;
    }
}

void alignRect(RECT& r, const RECT& room, char horizontal, char vertical) {
    placeInRoom(r.left, r.right, room.left, room.right, horizontal, 'U', '<', '>', '|');
    placeInRoom(r.top, r.bottom, room.top, room.bottom, vertical, 'C', '^', 'v', '-');
}
