#pragma once
// A list of rectangles standing for an area: add, subtract (splitting a rectangle into up to four),
// copy the part inside a rectangle, fill. Plain value type.
#include <windows.h>

#include <vector>

#include "core/types.h"

class RectangleList {
public:
    void add(const RECT& r);
    // Removes r from every rectangle of the list.
    void subtract(const RECT& r);
    // Appends to `into` the intersections of the list with r.
    void copyInside(const RECT& r, RectangleList& into) const;
    // One solid brush per non-empty rectangle.
    void fill(HDC dc, COLORREF colour) const;
    void clear() { rects.clear(); }
    bool empty() const { return rects.empty(); }
    // Sum of the areas (the rectangles never overlap when built by subtracting).
    i64 area() const;

    std::vector<RECT> rects;
};

bool rectEmpty(const RECT& r);
// The rectangle less the four insets; a far edge never passes its near edge.
RECT insetRect(const RECT& r, i32 left, i32 top, i32 right, i32 bottom);
// One solid brush for one rectangle; nothing for an empty one.
void fillRectSolid(HDC dc, const RECT& r, COLORREF colour);
bool rectsEqual(const RECT& a, const RECT& b);
// True when the rectangles share some area; touching at an edge is no overlap.
bool rectsOverlap(const RECT& a, const RECT& b);
