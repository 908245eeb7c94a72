#include "gui/layout/grid_layout.h"

#include <algorithm>

#include "gui/layout/layout_builder.h"

namespace {
bool present(GLayoutCell* cell) { return cell && !(cell->cellFlags & CellExcluded); }

// Sum of the sizes above 0 and the gaps between them.
i32 spanOf(const std::vector<i32>& sizes, i32 gap) {
    i32 sum = 0, n = 0;
    for (i32 s : sizes)
        if (s > 0) {
            sum += s;
            ++n;
        }
    return n >= 2 ? sum + gap * (n - 1) : sum;
}
}  // namespace

GGridLayout::GGridLayout(GWindow* owner, i32 columns, i32 rows)
    : GLayoutItem(owner), columns(std::max(columns, 0)), rows(std::max(rows, 0)) {
    digits[1] = 8;
    digits[4] = 8;
}

void GGridLayout::addChild(GLayoutCell* child) {
    int at = childCount();
    if (at >= columns * rows && columns > 0) ++rows;
    insertChild(at, child);
}

void GGridLayout::measure(std::vector<i32>& widths, std::vector<i32>& heights) {
    widths.assign(std::max(columns, 0), 0);
    heights.assign(std::max(rows, 0), 0);
    if (columns <= 0) return;
    for (int i = 0; i < childCount(); ++i) {
        GLayoutCell* cell = childAt(i);
        int row = i / columns, column = i % columns;
        if (!present(cell) || row >= rows) continue;
        i32 w, h;
        preferredSizeOf(cell, &w, &h);
        if (h > 0) widths[column] = std::max(widths[column], w);
        if (w > 0) heights[row] = std::max(heights[row], h);
    }
}

void GGridLayout::getPreferredSize(i32* width, i32* height) {
    std::vector<i32> widths, heights;
    measure(widths, heights);
    *width = spanOf(widths, digits[1]) + digits[0] + digits[2];
    *height = spanOf(heights, digits[4]) + digits[3] + digits[5];
}

void packSpans(const std::vector<i32>& sizes, i32 stretch, i32 gap, i32 start, i32 end, std::vector<i32>& from,
               std::vector<i32>& to) {
    const i32 n = (i32)sizes.size();
    from.assign(n, start);
    to.assign(n, start);
    if (stretch < 0 || stretch >= n) stretch = n;
    i32 x = start;
    for (i32 i = 0; i < stretch; ++i) {
        from[i] = x;
        if (sizes[i] > 0) {
            to[i] = std::min(x + sizes[i], end);
            x = std::min(to[i] + gap, end);
        } else {
            to[i] = x;
        }
    }
    i32 right = end;
    for (i32 i = n - 1; i > stretch; --i) {
        to[i] = right;
        if (sizes[i] > 0) {
            from[i] = std::max(right - sizes[i], x);
            right = std::max(from[i] - gap, x);
        } else {
            from[i] = right;
        }
    }
    if (stretch < n) {
        from[stretch] = x;
        to[stretch] = std::max(x, right);
    }
}

void GGridLayout::setRect(const RECT& r) {
    rect = r;
    if (columns <= 0 || rows <= 0 || childCount() == 0) return;
    // The inner area; an edge never passes the opposite one.
    i32 left = std::min<i32>(r.left + digits[0], r.right), right = std::max<i32>(r.right - digits[2], left);
    i32 top = std::min<i32>(r.top + digits[3], r.bottom), bottom = std::max<i32>(r.bottom - digits[5], top);
    std::vector<i32> widths, heights, x0, x1, y0, y1;
    measure(widths, heights);
    packSpans(widths, stretchColumn, digits[1], left, right, x0, x1);
    packSpans(heights, stretchRow, digits[4], top, bottom, y0, y1);
    for (int i = 0; i < childCount(); ++i) {
        GLayoutCell* cell = childAt(i);
        int row = i / columns, column = i % columns;
        if (!present(cell) || row >= rows || heights[row] <= 0) continue;
        placeCellAligned(cell, RECT{x0[column], y0[row], x1[column], y1[row]}, '*', '*');
    }
}

GGridLayout* addGridLayout(i32 columns, i32 rows, GLayoutBuilder& builder, const char* alignment) {
    GGridLayout* grid = new GGridLayout(builder.owner, columns, rows);
    builder.pushContainer(grid, nullptr, alignment);
    return grid;
}
