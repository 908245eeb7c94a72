#pragma once
// Gradient fills through GradientFill: plain rectangles, two-rectangle vertex records and the banded
// looks of raised faces, check marks and glass bars.
#include <windows.h>

#include "core/types.h"

class GSavedDC;

// From colour1 at the top (left) to colour2 at the bottom (right). With exactEnd the gradient stops
// one pixel short and the last row (column) is colour2 exactly.
void gradientRect(GSavedDC& dc, const RECT& rect, COLORREF colour1, COLORREF colour2, bool vertical, bool exactEnd);
// Two gradient rectangles from four vertices: rectangle i from vertex 2i to vertex 2i + 1, each
// vertex a point and a colour; mode is GRADIENT_FILL_RECT_H or _V.
struct GradientVertices {
    POINT point[4];
    COLORREF colour[4];
};
void fillGradient(GSavedDC& dc, const GradientVertices& vertices, u32 mode);
// Three bands from c1 to c2: a leading band of extent / 7 pixels (at least 3), the middle, and a
// trailing band of the leading band's size ending exactly on c2.
void drawGradientSteps(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical);
// Split at the midpoint: from c1 at full brightness to c1, a line of the mean of c1 and c2, then from
// c2 to c1 ending exactly.
void drawMidlineGradient(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical);
// Lines of c2 on the leading and trailing edge; between them the first quarter from c1 to the mean
// of both colours, the rest from c2 to c1 ending exactly.
void drawGlassBar(GSavedDC& dc, const RECT& rect, COLORREF c1, COLORREF c2, bool vertical);
