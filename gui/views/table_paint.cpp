#include "gui/views/table_paint.h"

#include <algorithm>

void spanRowExtent(i64 anchorRow, u64 spanRows, i64 firstRow, i32 firstTop, i32 rowHeight, i32 visibleTop,
                   i32 visibleBottom, LONG* top, LONG* bottom) {
    // Rows between the anchor and the first painted row, and the rows of the span, are capped at
    // what the visible area can hold before they are turned into pixels.
    i64 reach = (i64)(visibleBottom - visibleTop) / std::max(rowHeight, 1) + 2;
    i64 before = std::min<i64>(std::max<i64>(firstRow - anchorRow, -reach), reach);
    i64 startY = (i64)firstTop - before * rowHeight;
    i64 rows = (i64)std::min<u64>(spanRows, (u64)(reach + std::max<i64>(before, 0)));
    i64 endY = startY + rows * rowHeight;
    *top = (LONG)std::min<i64>(std::max<i64>(startY, visibleTop), visibleBottom);
    *bottom = (LONG)std::min<i64>(std::max<i64>(endY, visibleTop), visibleBottom);
}

void drawXorFocusFrame(HDC dc, const RECT& frame, COLORREF text, COLORREF background) {
    if (frame.right <= frame.left || frame.bottom <= frame.top) return;
    LOGBRUSH brush{BS_SOLID, (text ^ background) & 0xFFFFFF, 0};
    HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    if (!pen) pen = CreatePen(PS_DOT, 1, brush.lbColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    int oldRop = SetROP2(dc, R2_XORPEN);
    COLORREF oldText = GetTextColor(dc);
    // One closed polyline: every pixel once, corners included, so a second frame undoes the first.
    // A frame one pixel thin is a single line.
    if (frame.bottom - frame.top == 1 || frame.right - frame.left == 1) {
        POINT line[2] = {{frame.left, frame.top}, {frame.right, frame.bottom}};
        if (frame.bottom - frame.top == 1) line[1].y = frame.top;
        else line[1].x = frame.left;
        Polyline(dc, line, 2);
    } else {
        POINT points[5] = {{frame.left, frame.top},
                           {frame.right - 1, frame.top},
                           {frame.right - 1, frame.bottom - 1},
                           {frame.left, frame.bottom - 1},
                           {frame.left, frame.top}};
        Polyline(dc, points, 5);
    }
    SetROP2(dc, oldRop);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}
