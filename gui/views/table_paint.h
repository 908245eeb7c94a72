#pragma once
// Pieces of table painting that need no table: the rectangle of a cell span and the XOR focus
// frame.
#include <windows.h>

#include "core/types.h"

// The rows of a span in client pixels, from its anchor row, given the first painted row and its
// top. The top and bottom are clamped to [visibleTop, visibleBottom] so that a span of millions of
// rows stays within 32 bits.
void spanRowExtent(i64 anchorRow, u64 spanRows, i64 firstRow, i32 firstTop, i32 rowHeight, i32 visibleTop,
                   i32 visibleBottom, LONG* top, LONG* bottom);

// A dotted frame whose pixels are XORed with text ^ background, so that drawing it twice removes
// it; the last pixel row of the rectangle is its bottom line.
void drawXorFocusFrame(HDC dc, const RECT& frame, COLORREF text, COLORREF background);
