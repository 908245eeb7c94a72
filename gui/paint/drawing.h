#pragma once
// Pixel-exact lines, frames and arrows in the wrapper's current pen and brush, solid fills, the
// cached background brushes and the shared point buffer of polylines. Every pixel of a line or frame
// is drawn exactly once, so that XOR drawing leaves no gaps.
#include <windows.h>

#include "core/types.h"

class GSavedDC;
class RectangleList;

// Vertical line at x over min(y1, y2)..max(y1, y2), both included.
void drawLine(GSavedDC& dc, i32 x, i32 y1, i32 y2);
// Horizontal line at y over min(x1, x2)..max(x1, x2), both included.
void drawHLine(GSavedDC& dc, i32 x1, i32 x2, i32 y);
// A dotted line between two points, in a dotted pen of the colour left selected in the wrapper.
void drawDottedLine(GSavedDC& dc, i32 x1, i32 y1, i32 x2, i32 y2, COLORREF colour);
// The outline of a rectangle whose right and bottom are exclusive (corners in any order); nothing
// for zero width or height.
void drawRectOutline(GSavedDC& dc, i32 x1, i32 x2, i32 y1, i32 y2);
// r 0: the outline; r > 0: an octagon with 45-degree corners of size r; r < 0: sides bowed inward by
// -r. Nothing when the corners leave no room.
void drawCornerFrame(GSavedDC& dc, i32 left, i32 top, i32 right, i32 bottom, i32 r);
// Filled arrow heads with a 5-pixel shaft; (x, y) is the base point.
void drawArrowLeft(GSavedDC& dc, i32 x, i32 y);
void drawArrowRight(GSavedDC& dc, i32 x, i32 y);
void drawArrowUp(GSavedDC& dc, i32 x, i32 y);
void drawArrowDown(GSavedDC& dc, i32 x, i32 y);

// Fills skip an empty rectangle (left >= right or top >= bottom).
void fillCurrentBrush(GSavedDC& dc, const RECT& rect);
// Through a temporary solid brush.
void fillSolidRect(GSavedDC& dc, const RECT& rect, COLORREF colour);
// Every rectangle of the list, one temporary brush each.
void fillRectList(GSavedDC& dc, const RectangleList& list, COLORREF colour);

// A solid brush kept until its colour changes.
class CachedBrush {
public:
    ~CachedBrush();
    HBRUSH get(COLORREF colour);

private:
    HBRUSH brush = nullptr;
    COLORREF colour = 0;
};
// The brush of the class background of the toolkit colours.
HBRUSH backgroundBrush();
// The brush of the tab highlight colour (set by the tab strips).
extern COLORREF tabHighlightColor;
HBRUSH tabHighlightBrush();
// The brushes of the selection colour and of the window colour (row and list backgrounds); the
// caller does not delete them.
HBRUSH getSelectionBrush();
HBRUSH getSolidBrush();

// The shared point buffer of polylines: a new count gives a new buffer of undefined content, the
// same count keeps it, 0 frees it.
struct PointBuffer {
    POINT* points = nullptr;
    u32 count = 0;
    ~PointBuffer() { delete[] points; }
};
extern PointBuffer pointBuffer;
POINT* ensurePointBuffer(u32 count);
