#include "gui/paint/drawing.h"

#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/saved_dc.h"

void drawLine(GSavedDC& dc, i32 x, i32 y1, i32 y2) {
    i32 low = y1 < y2 ? y1 : y2, high = y1 < y2 ? y2 : y1;
    MoveToEx(dc.dc(), x, low, nullptr);
    LineTo(dc.dc(), x, high + 1);
}

void drawHLine(GSavedDC& dc, i32 x1, i32 x2, i32 y) {
    i32 low = x1 < x2 ? x1 : x2, high = x1 < x2 ? x2 : x1;
    MoveToEx(dc.dc(), low, y, nullptr);
    LineTo(dc.dc(), high + 1, y);
}

void drawDottedLine(GSavedDC& dc, i32 x1, i32 y1, i32 x2, i32 y2, COLORREF colour) {
    dc.selectStylePen(colour, PS_COSMETIC | PS_DOT);
    MoveToEx(dc.dc(), x1, y1, nullptr);
    LineTo(dc.dc(), x2, y2);
}

void drawRectOutline(GSavedDC& dc, i32 x1, i32 x2, i32 y1, i32 y2) {
    if (x1 == x2 || y1 == y2) return;
    i32 left = x1 < x2 ? x1 : x2, right = x1 < x2 ? x2 : x1;
    i32 top = y1 < y2 ? y1 : y2, bottom = y1 < y2 ? y2 : y1;
    drawHLine(dc, left, right - 1, top);
    if (bottom - 1 > top) drawHLine(dc, left, right - 1, bottom - 1);
    if (bottom - 2 >= top + 1) {
        drawLine(dc, left, top + 1, bottom - 2);
        if (right - 1 > left) drawLine(dc, right - 1, top + 1, bottom - 2);
    }
}

void drawCornerFrame(GSavedDC& dc, i32 left, i32 top, i32 right, i32 bottom, i32 r) {
    if (r == 0) {
        drawRectOutline(dc, left, right, top, bottom);
        return;
    }
    i32 s = r < 0 ? -r : r;
    if (left + s >= right - s || top + s >= bottom - s) return;
    i32 x2 = right - 1, y2 = bottom - 1;
    if (r > 0) {
        const POINT p[9] = {{left + s, top},  {x2 - s, top},    {x2, top + s},   {x2, y2 - s},   {x2 - s, y2},
                            {left + s, y2},   {left, y2 - s},   {left, top + s}, {left + s, top}};
        Polyline(dc.dc(), p, 9);
    } else {
        const POINT p[13] = {{left, top},
                             {left + s, top + 2 * s},
                             {left + s, y2 - 2 * s},
                             {left, y2},
                             {left + 2 * s + 1, y2 - s},
                             {x2 - 2 * s, y2 - s},
                             {x2, y2},
                             {x2 - s, y2 - 2 * s},
                             {x2 - s, top + 2 * s + 1},
                             {x2, top},
                             {x2 - 2 * s, top + s},
                             {left + 2 * s, top + s},
                             {left, top}};
        Polyline(dc.dc(), p, 13);
    }
}

// The right arrow's points, mirrored (left, up) and with the axes exchanged (up, down).
static void drawArrow(GSavedDC& dc, i32 x, i32 y, i32 sign, bool vertical) {
    const i32 along[5] = {0, 7, 8, 0, 4}, across[5] = {-4, 0, 0, 4, 0};
    POINT p[5];
    for (int i = 0; i < 5; ++i) {
        i32 a = sign * along[i], b = across[i];
        p[i] = vertical ? POINT{x + b, y + a} : POINT{x + a, y + b};
    }
    Polygon(dc.dc(), p, 5);
    i32 from = sign < 0 ? -3 : -1, to = sign < 0 ? 1 : 3;
    if (vertical)
        drawLine(dc, x, y + from, y + to);
    else
        drawHLine(dc, x + from, x + to, y);
}

void drawArrowLeft(GSavedDC& dc, i32 x, i32 y) { drawArrow(dc, x, y, -1, false); }
void drawArrowRight(GSavedDC& dc, i32 x, i32 y) { drawArrow(dc, x, y, 1, false); }
void drawArrowUp(GSavedDC& dc, i32 x, i32 y) { drawArrow(dc, x, y, -1, true); }
void drawArrowDown(GSavedDC& dc, i32 x, i32 y) { drawArrow(dc, x, y, 1, true); }

void fillCurrentBrush(GSavedDC& dc, const RECT& rect) {
    if (!rectEmpty(rect)) FillRect(dc.dc(), &rect, (HBRUSH)GetCurrentObject(dc.dc(), OBJ_BRUSH));
}

void fillSolidRect(GSavedDC& dc, const RECT& rect, COLORREF colour) { fillRectSolid(dc.dc(), rect, colour); }

void fillRectList(GSavedDC& dc, const RectangleList& list, COLORREF colour) { list.fill(dc.dc(), colour); }

CachedBrush::~CachedBrush() {
    if (brush) DeleteObject(brush);
}

HBRUSH CachedBrush::get(COLORREF c) {
    if (brush && c == colour) return brush;
    if (brush) DeleteObject(brush);
    brush = CreateSolidBrush(c);
    colour = c;
    return brush;
}

HBRUSH backgroundBrush() {
    static CachedBrush cache;
    return cache.get(toolkitColors.classBackground);
}

COLORREF tabHighlightColor = kDefaultGlass;

HBRUSH tabHighlightBrush() {
    static CachedBrush cache;
    return cache.get(tabHighlightColor);
}

HBRUSH getSelectionBrush() {
    static CachedBrush cache;
    return cache.get(toolkitColors.selection);
}

HBRUSH getSolidBrush() {
    static CachedBrush cache;
    return cache.get(toolkitColors.window);
}

PointBuffer pointBuffer;

POINT* ensurePointBuffer(u32 count) {
    if (count != pointBuffer.count) {
        delete[] pointBuffer.points;
        pointBuffer.points = count ? new POINT[count] : nullptr;
        pointBuffer.count = count;
    }
    return pointBuffer.points;
}
