#include "gui/layout/rect_list.h"

#include <algorithm>

bool rectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool rectsEqual(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT insetRect(const RECT& r, i32 left, i32 top, i32 right, i32 bottom) {
    RECT inner;
    inner.left = std::min(r.left + left, r.right);
    inner.top = std::min(r.top + top, r.bottom);
    inner.right = std::max(r.right - right, inner.left);
    inner.bottom = std::max(r.bottom - bottom, inner.top);
    return inner;
}

void fillRectSolid(HDC dc, const RECT& r, COLORREF colour) {
    if (rectEmpty(r)) return;
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void RectangleList::add(const RECT& r) { rects.push_back(r); }

void RectangleList::subtract(const RECT& cut) {
    if (rectEmpty(cut)) return;
    std::vector<RECT> out;
    out.reserve(rects.size() + 4);
    for (const RECT& r : rects) {
        if (cut.left >= r.right || cut.right <= r.left || cut.top >= r.bottom || cut.bottom <= r.top) {
            out.push_back(r);
            continue;
        }
        // Above and below the cut over the full width, then left and right of it between them.
        LONG top = std::max(r.top, cut.top), bottom = std::min(r.bottom, cut.bottom);
        if (r.top < cut.top) out.push_back(RECT{r.left, r.top, r.right, cut.top});
        if (cut.bottom < r.bottom) out.push_back(RECT{r.left, cut.bottom, r.right, r.bottom});
        if (r.left < cut.left) out.push_back(RECT{r.left, top, cut.left, bottom});
        if (cut.right < r.right) out.push_back(RECT{cut.right, top, r.right, bottom});
    }
    rects.swap(out);
}

void RectangleList::copyInside(const RECT& cut, RectangleList& into) const {
    for (const RECT& r : rects) {
        RECT part{std::max(r.left, cut.left), std::max(r.top, cut.top), std::min(r.right, cut.right),
                  std::min(r.bottom, cut.bottom)};
        if (!rectEmpty(part)) into.add(part);
    }
}

void RectangleList::fill(HDC dc, COLORREF colour) const {
    for (const RECT& r : rects) fillRectSolid(dc, r, colour);
}

i64 RectangleList::area() const {
    i64 sum = 0;
    for (const RECT& r : rects)
        if (!rectEmpty(r)) sum += (i64)(r.right - r.left) * (r.bottom - r.top);
    return sum;
}

bool rectsOverlap(const RECT& a, const RECT& b) {
    return b.right > a.left && b.bottom > a.top && b.left < a.right && b.top < a.bottom;
}
