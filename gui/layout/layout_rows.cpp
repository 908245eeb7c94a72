#include "gui/layout/layout_rows.h"

#include <algorithm>
#include <vector>

#include "gui/layout/layout_builder.h"
#include "gui/layout/rect_list.h"

namespace {
bool takesPart(GLayoutCell* c) { return c && !(c->cellFlags & CellExcluded); }

// A content box that never inverts.
struct Box {
    i32 left, top, right, bottom;
};
Box contentBox(i32 x0, i32 y0, i32 x1, i32 y1, i32 ml, i32 mr, i32 mt, i32 mb) {
    RECT r = insetRect(RECT{x0, y0, x1, y1}, ml, mt, mr, mb);
    return Box{r.left, r.top, r.right, r.bottom};
}

bool stretchesAcross(GLayoutCell* c, i32 w, i32 room) {
    return (c->cellFlags & CellHeightForWidth) && w != room && (w > room || c->hAlign == 'U' || c->hAlign == '?');
}
}  // namespace

// ---- row ----

void GRowItem::getPreferredSize(i32* width, i32* height) {
    run(0, 0, *width, *height, true, *width < 0, width, height);
}

void GRowItem::setRect(const RECT& r) {
    rect = r;
    run(r.left, r.top, r.right - r.left, r.bottom - r.top, false, false, nullptr, nullptr);
}

void GRowItem::run(i32 x, i32 y, i32 W, i32 H, bool measure, bool widthUnknown, i32* outW, i32* outH) {
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    int n = childCount();
    if (n == 0) {
        if (measure) {
            *outW = d0 + d2;
            *outH = d3 + d4;
        }
        return;
    }
    std::vector<i32> w(n, 0), h(n, 0);
    std::vector<char> c(n, '<');
    i32 maxH = 0, cnt = 0, sumW = 0, nStretch = 0, sumU = 0, firstRight = -1;
    bool seenRight = false;
    for (int i = 0; i < n; ++i) {
        GLayoutCell* child = childAt(i);
        if (!takesPart(child)) continue;
        preferredSizeOf(child, &w[i], &h[i]);
        maxH = std::max(maxH, h[i]);
        char letter = child->hAlign;
        if (letter == '?') letter = seenRight ? '>' : '<';
        if (letter == '>') {
            seenRight = true;
            if (firstRight < 0) firstRight = i;
        }
        c[i] = letter;
        if (w[i] != 0) {
            ++cnt;
            sumW += w[i];
            if (letter == 'U' || letter == '|') ++nStretch;
            if (letter == 'U') sumU += w[i];
        }
    }
    i32 gaps = cnt > 1 ? d1 * (cnt - 1) : 0;
    if (measure) {
        i32 naturalW = d0 + d2 + gaps + sumW, naturalH = d3 + d4 + maxH;
        if (!(cellFlags & CellHeightForWidth)) {
            *outW = naturalW;
            *outH = naturalH;
            return;
        }
        if (widthUnknown) {
            W = naturalW;
            H = naturalH;
        }
    }
    Box b = contentBox(x, y, x + W, y + H, d0, d2, d3, d4);
    i32 extra = (b.right - b.left) - gaps - sumW;
    i32 roomU = extra + sumU;
    // Widths in index order, so earlier children get the smaller part of a remainder whichever
    // side they are placed from; the surplus of a row without stretching children goes before
    // its first right-aligned child.
    std::vector<i32> cw(w), ch(h);
    i32 before = nStretch == 0 && extra > 0 ? extra : 0;
    for (int i = 0; i < n; ++i) {
        GLayoutCell* child = childAt(i);
        if (!takesPart(child) || cw[i] <= 0) continue;
        if (extra > 0 && nStretch > 0 && (c[i] == 'U' || c[i] == '|')) {
            i32 share = extra / nStretch;
            --nStretch;
            cw[i] += share;
            extra -= share;
        }
        if (extra < 0 && c[i] == 'U') cw[i] = roomU <= 0 ? 0 : (i32)((i64)cw[i] * roomU / sumU);
        if (child->cellFlags & CellHeightForWidth) ch[i] = heightForWidth(child, std::min(cw[i], b.right - b.left));
    }
    maxH = 0;

    auto place = [&](int i, bool fromLeft) {
        GLayoutCell* child = childAt(i);
        if (i == firstRight) b.left = std::min(b.left + before, b.right);
        RECT cell;
        if (fromLeft) {
            cell = RECT{b.left, b.top, std::min(b.left + cw[i], b.right), b.bottom};
            b.left = cell.right;
        } else {
            cell = RECT{std::max(b.right - cw[i], b.left), b.top, b.right, b.bottom};
            b.right = cell.left;
        }
        if (!measure) placeCellAligned(child, cell, '*', '*');
        if (cw[i] > 0) {
            if (fromLeft)
                b.left = std::min(b.left + d1, b.right);
            else
                b.right = std::max(b.right - d1, b.left);
        }
        maxH = std::max(maxH, ch[i]);
    };
    int i = 0;
    for (; i < n; ++i) {
        if (!takesPart(childAt(i))) continue;
        if (c[i] != '<') break;
        place(i, true);
    }
    for (int j = n - 1; j >= i; --j)
        if (takesPart(childAt(j))) place(j, false);
    if (measure) {
        *outW = std::min(W, d0 + d2 + gaps + sumW);
        *outH = d3 + d4 + maxH;
    }
}

GRowItem* GRowItem::create(GLayoutBuilder& builder, const char* digits) {
    GRowItem* row = new GRowItem(builder.owner);
    row->cellFlags |= CellVisible;
    builder.pushContainer(row, digits, nullptr);
    return row;
}

// ---- column ----

GColumnsItem* GColumnsItem::create(GLayoutBuilder& builder, const char* digits, const char* code) {
    GColumnsItem* column = new GColumnsItem(builder.owner);
    column->digits[3] = 8;
    builder.pushContainer(column, digits, code);
    return column;
}

void GColumnsItem::getPreferredSize(i32* width, i32* height) {
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    int n = childCount();
    std::vector<i32> w(n, 0), h(n, 0);
    i32 maxW = 0, cnt = 0, sumH = 0;
    for (int i = 0; i < n; ++i) {
        GLayoutCell* child = childAt(i);
        if (!takesPart(child)) continue;
        preferredSizeOf(child, &w[i], &h[i]);
        maxW = std::max(maxW, w[i]);
        if (w[i] > 0 && h[i] > 0) {
            ++cnt;
            sumH += h[i];
        }
    }
    if (cellFlags & CellHeightForWidth) {
        i32 cw = *width > 0 ? *width - d1 - d0 : maxW;
        if (cw > 0) {
            sumH = 0;
            for (int i = 0; i < n; ++i) {
                GLayoutCell* child = childAt(i);
                if (!takesPart(child)) continue;
                sumH += stretchesAcross(child, w[i], cw) ? heightForWidth(child, cw) : h[i];
            }
        }
    }
    if (cnt > 0) sumH += d3 * (cnt - 1);
    *width = d0 + d1 + maxW;
    *height = d2 + d4 + sumH;
}

void GColumnsItem::setRect(const RECT& r) {
    rect = r;
    int n = childCount();
    if (n == 0) return;
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    Box b = contentBox(r.left, r.top, r.right, r.bottom, d0, d1, d2, d4);
    i32 contentW = b.right - b.left;
    i32 free = b.bottom - b.top;
    std::vector<i32> h(n, 0);
    std::vector<char> c(n, '^');
    i32 cnt = 0, nStretch = 0, firstBottom = -1;
    bool seenBottom = false;
    for (int i = 0; i < n; ++i) {
        GLayoutCell* child = childAt(i);
        if (!takesPart(child)) continue;
        i32 w;
        preferredSizeOf(child, &w, &h[i]);
        char letter = child->vAlign;
        if (letter == '?') letter = seenBottom ? 'v' : '^';
        if (letter == 'v') {
            seenBottom = true;
            if (firstBottom < 0) firstBottom = i;
        }
        c[i] = letter;
        if (h[i] != 0) {
            if (stretchesAcross(child, w, contentW)) h[i] = heightForWidth(child, contentW);
            ++cnt;
            if (letter == 'C' || letter == '-') ++nStretch;
            free -= h[i];
        }
    }
    if (cnt > 1) free -= d3 * (cnt - 1);
    if (free < 0) free = 0;

    auto place = [&](int i, bool fromTop) {
        GLayoutCell* child = childAt(i);
        if (nStretch == 0 && i == firstBottom) b.top += free;
        i32 hh = h[i];
        if (hh > 0 && (c[i] == 'C' || c[i] == '-') && nStretch > 0) {
            i32 share = free / nStretch;
            --nStretch;
            hh += share;
            free -= share;
        }
        RECT cell;
        if (fromTop) {
            cell = RECT{b.left, b.top, b.right, std::min(b.top + hh, b.bottom)};
            b.top = cell.bottom;
        } else {
            cell = RECT{b.left, std::max(b.bottom - hh, b.top), b.right, b.bottom};
            b.bottom = cell.top;
        }
        placeCellAligned(child, cell, '*', '*');
        if (hh > 0) {
            if (fromTop)
                b.top = std::min(b.top + d3, b.bottom);
            else
                b.bottom = std::max(b.bottom - d3, b.top);
        }
    };
    int i = 0;
    for (; i < n; ++i) {
        if (!takesPart(childAt(i))) continue;
        if (c[i] != '^') break;
        place(i, true);
    }
    for (int j = n - 1; j >= i; --j)
        if (takesPart(childAt(j))) place(j, false);
}

// ---- equal-cell row ----

void GEqualRowItem::getPreferredSize(i32* width, i32* height) {
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    int n = childCount();
    if (n < 1) {
        *width = d0 + d2;
        *height = d3 + d4;
        return;
    }
    std::vector<i32> w(n, 0), h(n, 0);
    i32 maxW = 0, maxH = 0;
    for (int i = 0; i < n; ++i) {
        GLayoutCell* child = childAt(i);
        if (!takesPart(child)) continue;
        preferredSizeOf(child, &w[i], &h[i]);
        maxW = std::max(maxW, w[i]);
        maxH = std::max(maxH, h[i]);
    }
    if (cellFlags & CellHeightForWidth) {
        i32 cellsW = (*width > 0 ? *width - d0 - d2 : n * maxW) - d1 * (n - 1);
        maxH = 0;
        for (int i = 0; i < n; ++i) {
            i32 cell = std::max(cellsW / (n - i), 0);
            cellsW -= cell;
            GLayoutCell* child = childAt(i);
            if (!takesPart(child)) continue;
            if (stretchesAcross(child, w[i], cell)) h[i] = heightForWidth(child, cell);
            maxH = std::max(maxH, h[i]);
        }
    }
    *width = d0 + d2 + d1 * (n - 1) + n * maxW;
    *height = d3 + d4 + maxH;
}

void GEqualRowItem::setRect(const RECT& r) {
    rect = r;
    int n = childCount();
    if (n < 1) return;
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    Box b = contentBox(r.left, r.top, r.right, r.bottom, d0, d2, d3, d4);
    i32 cellsW = (b.right - b.left) - (n - 1) * d1;
    i32 x = b.left;
    for (int i = 0; i < n; ++i) {
        i32 width = std::max(cellsW / (n - i), 0);
        cellsW -= width;
        RECT cell{x, b.top, std::min(x + width, b.right), b.bottom};
        x = std::min((i32)cell.right + d1, b.right);
        GLayoutCell* child = childAt(i);
        if (takesPart(child)) placeCellAligned(child, cell, '*', '*');
    }
}
