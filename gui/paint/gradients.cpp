#include "gui/paint/gradients.h"

#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"

static TRIVERTEX vertex(i32 x, i32 y, COLORREF c) {
    return {x, y, (COLOR16)(GetRValue(c) << 8), (COLOR16)(GetGValue(c) << 8), (COLOR16)(GetBValue(c) << 8), 0};
}

void gradientRect(GSavedDC& dc, const RECT& rect, COLORREF colour1, COLORREF colour2, bool vertical, bool exactEnd) {
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    RECT r = rect;
    if (exactEnd) {
        RECT last = r;
        if (vertical) {
            last.top = --r.bottom;
        } else {
            last.left = --r.right;
        }
        fillSolidRect(dc, last, colour2);
        if (r.left >= r.right || r.top >= r.bottom) return;
    }
    TRIVERTEX v[2] = {vertex(r.left, r.top, colour1), vertex(r.right, r.bottom, colour2)};
    GRADIENT_RECT index = {0, 1};
    GradientFill(dc.dc(), v, 2, &index, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void fillGradient(GSavedDC& dc, const GradientVertices& g, u32 mode) {
    TRIVERTEX v[4];
    for (int i = 0; i < 4; ++i) v[i] = vertex(g.point[i].x, g.point[i].y, g.colour[i]);
    GRADIENT_RECT index[2] = {{0, 1}, {2, 3}};
    GradientFill(dc.dc(), v, 4, index, 2, mode);
}

// The part of the rectangle from `from` to `to` along the axis (offsets from its leading edge).
static RECT band(const RECT& rect, bool vertical, i32 from, i32 to) {
    RECT r = rect;
    if (vertical) {
        r.top = rect.top + from;
        r.bottom = rect.top + to;
    } else {
        r.left = rect.left + from;
        r.right = rect.left + to;
    }
    return r;
}

static i32 extentOf(const RECT& rect, bool vertical) {
    return vertical ? rect.bottom - rect.top : rect.right - rect.left;
}

void drawGradientSteps(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical) {
    i32 extent = extentOf(rect, vertical);
    i32 edge = extent / 7 < 3 ? 3 : extent / 7;
    if (edge > extent / 2) edge = extent / 2;
    gradientRect(dc, band(rect, vertical, 0, edge), c1, c2, vertical, false);
    gradientRect(dc, band(rect, vertical, edge, extent - edge), c1, c2, vertical, false);
    gradientRect(dc, band(rect, vertical, extent - edge, extent), c1, c2, vertical, true);
}

void drawMidlineGradient(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical) {
    i32 extent = extentOf(rect, vertical), middle = extent / 2;
    gradientRect(dc, band(rect, vertical, 0, middle), setColorBrightness(c1, 255), c1, vertical, false);
    fillSolidRect(dc, band(rect, vertical, middle, middle + 1), mixColors(c1, c2));
    gradientRect(dc, band(rect, vertical, middle + 1, extent), c2, c1, vertical, true);
}

void drawGlassBar(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical) {
    i32 extent = extentOf(rect, vertical);
    if (extent <= 0) return;
    fillSolidRect(dc, band(rect, vertical, 0, 1), c2);
    fillSolidRect(dc, band(rect, vertical, extent - 1, extent), c2);
    i32 inner = extent - 2, split = 1 + inner / 4;
    gradientRect(dc, band(rect, vertical, 1, split), c1, mixColors(c1, c2), vertical, false);
    gradientRect(dc, band(rect, vertical, split, extent - 1), c2, c1, vertical, true);
}
